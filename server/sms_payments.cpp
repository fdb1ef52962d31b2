#include "sms_payments.h"

#include <charconv>

#include "wallet.h"

namespace kestrova::server {
namespace {

// A report and its SMS are paired only when they are this close in time.
constexpr std::int64_t kPairingWindowSeconds = 24 * 3600;
constexpr int kStatusSent = 1;

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

void RecordReceived(Database& db, std::string_view number, std::string_view text, std::string_view file,
                    std::optional<int> user_id, std::time_t now) {
  auto insert =
      db.Prepare("INSERT INTO sms_received (short_number, text, file, received, user_id) VALUES (?, ?, ?, ?, ?)");
  insert.Bind(1, number).Bind(2, text).Bind(3, file).Bind(4, static_cast<std::int64_t>(now));
  if (user_id) {
    insert.Bind(5, *user_id);
  }
  insert.Run();
}

}  // namespace

SmsOutcome SmsPayments::Received(std::string_view raw_number, std::string_view raw_text, std::string_view file,
                                 std::time_t now) {
  const std::string_view number = Trim(raw_number);
  const std::string_view text = Trim(raw_text);
  auto db = storage_.Lock();
  Transaction transaction(*db);

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
        RecordReceived(*db, number, text, file, user_id, now);
        transaction.Commit();
        return SmsOutcome::kCredited;
      }
    }
  }

  // Package: the oldest unpaired report of the same number and text pays.
  const ChannelFolder* package = catalogue_.FindPackageBySms(number, text);
  if (package == nullptr) return SmsOutcome::kNotUnderstood;
  auto report = db->Prepare(
      "SELECT id, user_id FROM sms_reports WHERE matched = 0 AND status = ? AND short_number = ? "
      "AND text = ? COLLATE NOCASE AND reported > ? ORDER BY id LIMIT 1");
  report.Bind(1, kStatusSent).Bind(2, number).Bind(3, text);
  report.Bind(4, static_cast<std::int64_t>(now) - kPairingWindowSeconds);
  if (!report.Step()) {
    RecordReceived(*db, number, text, file, std::nullopt, now);
    transaction.Commit();
    return SmsOutcome::kWaitingForReport;
  }
  const int report_id = static_cast<int>(report.Int(0));
  const int user_id = static_cast<int>(report.Int(1));
  auto mark = db->Prepare("UPDATE sms_reports SET matched = 1 WHERE id = ?");
  mark.Bind(1, report_id);
  mark.Run();
  GrantSubscriptionIn(*db, user_id, package->id, package->period_days, now);
  RecordReceived(*db, number, text, file, user_id, now);
  transaction.Commit();
  return SmsOutcome::kSubscribed;
}

void SmsPayments::Reported(int user_id, std::string_view raw_number, std::string_view raw_text, int status,
                           std::time_t now) {
  const std::string_view number = Trim(raw_number);
  const std::string_view text = Trim(raw_text);
  auto db = storage_.Lock();
  Transaction transaction(*db);
  auto insert = db->Prepare(
      "INSERT INTO sms_reports (user_id, short_number, text, status, reported) VALUES (?, ?, ?, ?, ?)");
  insert.Bind(1, user_id).Bind(2, number).Bind(3, text).Bind(4, status).Bind(5, static_cast<std::int64_t>(now));
  insert.Run();
  const int report_id = static_cast<int>(db->LastInsertId());

  const ChannelFolder* package = catalogue_.FindPackageBySms(number, text);
  if (package != nullptr && status == kStatusSent) {
    // The package SMS may have reached the spool before this report.
    auto waiting = db->Prepare(
        "SELECT id FROM sms_received WHERE user_id IS NULL AND short_number = ? AND text = ? COLLATE NOCASE "
        "AND received > ? ORDER BY id LIMIT 1");
    waiting.Bind(1, number).Bind(2, text).Bind(3, static_cast<std::int64_t>(now) - kPairingWindowSeconds);
    if (waiting.Step()) {
      const int received_id = static_cast<int>(waiting.Int(0));
      auto claim = db->Prepare("UPDATE sms_received SET user_id = ? WHERE id = ?");
      claim.Bind(1, user_id).Bind(2, received_id);
      claim.Run();
      auto mark = db->Prepare("UPDATE sms_reports SET matched = 1 WHERE id = ?");
      mark.Bind(1, report_id);
      mark.Run();
      GrantSubscriptionIn(*db, user_id, package->id, package->period_days, now);
    }
  }
  transaction.Commit();
}

}  // namespace kestrova::server
