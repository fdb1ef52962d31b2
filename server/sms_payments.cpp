#include "sms_payments.h"

#include <charconv>

#include "wallet.h"

namespace kestrova::server {
namespace {

constexpr int kStatusSent = 1;
// sms_reports.matched: waiting for its SMS, paired with one, or retired
// (replaced by newer reports of the same account, beyond the cap).
constexpr int kReportOpen = 0;
constexpr int kReportMatched = 1;
constexpr int kReportRetired = 2;

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

std::optional<int> Number(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value <= 0) return std::nullopt;
  return value;
}

void RecordReceived(Database& db, std::string_view number, std::string_view text, std::string_view file_key,
                    std::string_view file, std::optional<int> user_id, std::time_t now) {
  auto insert = db.Prepare(
      "INSERT INTO sms_received (short_number, text, file, file_key, received, user_id) VALUES (?, ?, ?, ?, ?, ?)");
  insert.Bind(1, number).Bind(2, text).Bind(3, file).Bind(4, file_key).Bind(5, static_cast<std::int64_t>(now));
  if (user_id) {
    insert.Bind(6, *user_id);
  }
  insert.Run();
}

void SetReportState(Database& db, int report_id, int state) {
  auto mark = db.Prepare("UPDATE sms_reports SET matched = ? WHERE id = ?");
  mark.Bind(1, state).Bind(2, report_id);
  mark.Run();
}

}  // namespace

SmsOutcome SmsPayments::Received(std::string_view raw_number, std::string_view raw_text, std::string_view file_key,
                                 std::string_view file, std::time_t now, const std::function<void()>& before_commit) {
  const std::string_view number = Trim(raw_number);
  const std::string_view text = Trim(raw_text);
  auto db = storage_.Lock();
  Transaction transaction(*db);
  auto seen = db->Prepare("SELECT 1 FROM sms_received WHERE file_key = ?");
  seen.Bind(1, file_key);
  if (seen.Step()) return SmsOutcome::kAlreadyHandled;

  const auto commit = [&] {
    if (before_commit) before_commit();
    transaction.Commit();
  };

  // Credit: "<prefix> <login>".
  const auto blank = text.find(' ');
  const auto short_number = Number(number);
  if (blank != std::string_view::npos && short_number) {
    const ShortNumber* sn = catalogue_.FindShortNumber(*short_number, text.substr(0, blank));
    if (sn != nullptr) {
      auto account = db->Prepare("SELECT id FROM accounts WHERE login = ?");
      account.Bind(1, Trim(text.substr(blank + 1)));
      if (account.Step()) {
        const int user_id = static_cast<int>(account.Int(0));
        CreditIn(*db, user_id, sn->credit, "sms " + std::string(number), now);
        RecordReceived(*db, number, text, file_key, file, user_id, now);
        commit();
        return SmsOutcome::kCredited;
      }
    }
  }

  // Package: of the open reports of the same number and text within the
  // window, the one filed last before the SMS pays.
  const ChannelFolder* package = catalogue_.FindPackageBySms(number, text);
  if (package == nullptr) return SmsOutcome::kNotUnderstood;
  auto report = db->Prepare(
      "SELECT id, user_id FROM sms_reports WHERE matched = ? AND status = ? AND short_number = ? "
      "AND text = ? COLLATE NOCASE AND reported >= ? AND reported <= ? ORDER BY reported DESC, id DESC LIMIT 1");
  report.Bind(1, kReportOpen).Bind(2, kStatusSent).Bind(3, number).Bind(4, text);
  report.Bind(5, static_cast<std::int64_t>(now) - pairing_.window_seconds).Bind(6, static_cast<std::int64_t>(now));
  if (!report.Step()) {
    RecordReceived(*db, number, text, file_key, file, std::nullopt, now);
    commit();
    return SmsOutcome::kWaitingForReport;
  }
  const int report_id = static_cast<int>(report.Int(0));
  const int user_id = static_cast<int>(report.Int(1));
  SetReportState(*db, report_id, kReportMatched);
  GrantSubscriptionIn(*db, user_id, package->id, package->period_days, now);
  RecordReceived(*db, number, text, file_key, file, user_id, now);
  commit();
  return SmsOutcome::kSubscribed;
}

bool SmsPayments::Known(std::string_view file_key, std::string_view sent_name) {
  auto db = storage_.Lock();
  auto query = db->Prepare("SELECT 1 FROM sms_received WHERE file_key = ? OR (file_key IS NULL AND file = ?)");
  query.Bind(1, file_key).Bind(2, sent_name);
  return query.Step();
}

void SmsPayments::Reported(int user_id, std::string_view raw_number, std::string_view raw_text, int status,
                           std::time_t now) {
  const std::string_view number = Trim(raw_number);
  const std::string_view text = Trim(raw_text);
  auto db = storage_.Lock();
  Transaction transaction(*db);
  auto insert = db->Prepare(
      "INSERT INTO sms_reports (user_id, short_number, text, status, reported, matched) VALUES (?, ?, ?, ?, ?, ?)");
  insert.Bind(1, user_id).Bind(2, number).Bind(3, text).Bind(4, status).Bind(5, static_cast<std::int64_t>(now));
  insert.Bind(6, kReportOpen);
  insert.Run();
  const int report_id = static_cast<int>(db->LastInsertId());
  // An account cannot keep more than a few reports lying in wait.
  auto retire = db->Prepare(
      "UPDATE sms_reports SET matched = ? WHERE user_id = ? AND matched = ? AND id NOT IN "
      "(SELECT id FROM sms_reports WHERE user_id = ? AND matched = ? ORDER BY id DESC LIMIT ?)");
  retire.Bind(1, kReportRetired).Bind(2, user_id).Bind(3, kReportOpen).Bind(4, user_id).Bind(5, kReportOpen);
  retire.Bind(6, pairing_.max_open_reports);
  retire.Run();

  const ChannelFolder* package = catalogue_.FindPackageBySms(number, text);
  if (package != nullptr && status == kStatusSent) {
    // The package SMS may have reached the spool before this report: the one
    // received last before it, within the window.
    auto waiting = db->Prepare(
        "SELECT id FROM sms_received WHERE user_id IS NULL AND short_number = ? AND text = ? COLLATE NOCASE "
        "AND received >= ? ORDER BY received DESC, id DESC LIMIT 1");
    waiting.Bind(1, number).Bind(2, text).Bind(3, static_cast<std::int64_t>(now) - pairing_.window_seconds);
    if (waiting.Step()) {
      const int received_id = static_cast<int>(waiting.Int(0));
      auto claim = db->Prepare("UPDATE sms_received SET user_id = ? WHERE id = ?");
      claim.Bind(1, user_id).Bind(2, received_id);
      claim.Run();
      SetReportState(*db, report_id, kReportMatched);
      GrantSubscriptionIn(*db, user_id, package->id, package->period_days, now);
    }
  }
  transaction.Commit();
}

}  // namespace kestrova::server
