#include "sms_payments.h"

#include <charconv>
#include <iostream>

#include "wallet.h"

namespace kestrova::server {
namespace {

constexpr int kStatusSent = 1;
// sms_reports.matched: waiting for its SMS or paired with one (earlier
// versions also retired reports beyond a cap: 2).
constexpr int kReportOpen = 0;
constexpr int kReportMatched = 1;
constexpr std::int64_t kMillisecondsPerSecond = 1000;
constexpr double kMillisecondsPerMinute = 60'000;

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

std::time_t Seconds(std::int64_t milliseconds) { return static_cast<std::time_t>(milliseconds / kMillisecondsPerSecond); }

void RecordReceived(Database& db, std::string_view number, std::string_view text, std::string_view file_key,
                    std::string_view file, std::optional<int> user_id, std::int64_t sent_ms, std::int64_t now_ms) {
  auto insert = db.Prepare(
      "INSERT INTO sms_received (short_number, text, file, file_key, received, user_id, sent_ms) "
      "VALUES (?, ?, ?, ?, ?, ?, ?)");
  insert.Bind(1, number).Bind(2, text).Bind(3, file).Bind(4, file_key).Bind(5, static_cast<std::int64_t>(Seconds(now_ms)));
  if (user_id) {
    insert.Bind(6, *user_id);
  }
  insert.Bind(7, sent_ms);
  insert.Run();
}

void SetReportState(Database& db, int report_id, int state) {
  auto mark = db.Prepare("UPDATE sms_reports SET matched = ? WHERE id = ?");
  mark.Bind(1, state).Bind(2, report_id);
  mark.Run();
}

}  // namespace

SmsOutcome SmsPayments::Received(std::string_view raw_number, std::string_view raw_text, std::string_view file_key,
                                 std::string_view file, std::int64_t sent_ms, std::int64_t now_ms,
                                 const std::function<void()>& before_commit) {
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
        CreditIn(*db, user_id, sn->credit, "sms " + std::string(number), Seconds(now_ms));
        RecordReceived(*db, number, text, file_key, file, user_id, sent_ms, now_ms);
        commit();
        return SmsOutcome::kCredited;
      }
    }
  }

  // Package: the handset reports right after sending, so of the open reports
  // of the same number and text filed after the SMS was sent and within the
  // window, the earliest is the sender's.
  const ChannelFolder* package = catalogue_.FindPackageBySms(number, text);
  if (package == nullptr) return SmsOutcome::kNotUnderstood;
  auto report = db->Prepare(
      "SELECT id, user_id FROM sms_reports WHERE matched = ? AND status = ? AND short_number = ? "
      "AND text = ? COLLATE NOCASE AND reported_ms >= ? AND reported_ms <= ? ORDER BY reported_ms, id LIMIT 1");
  report.Bind(1, kReportOpen).Bind(2, kStatusSent).Bind(3, number).Bind(4, text);
  report.Bind(5, sent_ms).Bind(6, sent_ms + pairing_.window_ms);
  if (!report.Step()) {
    RecordReceived(*db, number, text, file_key, file, std::nullopt, sent_ms, now_ms);
    commit();
    return SmsOutcome::kWaitingForReport;
  }
  const int report_id = static_cast<int>(report.Int(0));
  const int user_id = static_cast<int>(report.Int(1));
  SetReportState(*db, report_id, kReportMatched);
  GrantSubscriptionIn(*db, user_id, package->id, package->period_days, Seconds(now_ms));
  RecordReceived(*db, number, text, file_key, file, user_id, sent_ms, now_ms);
  commit();
  return SmsOutcome::kSubscribed;
}

bool SmsPayments::Known(const std::vector<std::string>& file_keys, std::string_view sent_name) {
  auto db = storage_.Lock();
  for (const std::string& key : file_keys) {
    auto query = db->Prepare("SELECT 1 FROM sms_received WHERE file_key = ?");
    query.Bind(1, key);
    if (query.Step()) return true;
  }
  auto query = db->Prepare("SELECT 1 FROM sms_received WHERE file_key IS NULL AND file = ?");
  query.Bind(1, sent_name);
  return query.Step();
}

// Every package report the account filed within the window counts, whatever
// became of it: a report that won an SMS frees no room for another.
bool SmsPayments::OverReportBudget(Database& db, int user_id, std::int64_t now_ms) const {
  auto filed = db.Prepare(
      "SELECT short_number, text, COUNT(*) FROM sms_reports WHERE user_id = ? AND reported_ms > ? "
      "GROUP BY short_number, text");
  filed.Bind(1, user_id).Bind(2, now_ms - pairing_.window_ms);
  std::int64_t package_reports = 0;
  while (filed.Step()) {
    if (catalogue_.FindPackageBySms(filed.Text(0), filed.Text(1)) != nullptr) package_reports += filed.Int(2);
  }
  return package_reports >= pairing_.max_package_reports;
}

void SmsPayments::LogRefusal(int user_id, std::int64_t now_ms) {
  std::lock_guard lock(refusals_mutex_);
  std::erase_if(refusals_logged_until_, [now_ms](const auto& entry) { return entry.second <= now_ms; });
  if (!refusals_logged_until_.emplace(user_id, now_ms + pairing_.window_ms).second) return;
  std::cerr << "kestrova-server: account " << user_id << " filed " << pairing_.max_package_reports
            << " package SMS reports within " << static_cast<double>(pairing_.window_ms) / kMillisecondsPerMinute
            << " minutes; its further reports are refused until they fall out of that window\n";
}

bool SmsPayments::Reported(int user_id, std::string_view raw_number, std::string_view raw_text, int status,
                           std::int64_t now_ms) {
  const std::string_view number = Trim(raw_number);
  const std::string_view text = Trim(raw_text);
  const ChannelFolder* package = catalogue_.FindPackageBySms(number, text);
  auto db = storage_.Lock();
  Transaction transaction(*db);
  // Refused reports are not stored: a flood of them cannot grow the database.
  if (package != nullptr && OverReportBudget(*db, user_id, now_ms)) {
    LogRefusal(user_id, now_ms);
    return false;
  }
  auto insert = db->Prepare(
      "INSERT INTO sms_reports (user_id, short_number, text, status, reported, matched, reported_ms) "
      "VALUES (?, ?, ?, ?, ?, ?, ?)");
  insert.Bind(1, user_id).Bind(2, number).Bind(3, text).Bind(4, status).Bind(5, static_cast<std::int64_t>(Seconds(now_ms)));
  insert.Bind(6, kReportOpen).Bind(7, now_ms);
  insert.Run();
  const int report_id = static_cast<int>(db->LastInsertId());

  if (package != nullptr && status == kStatusSent) {
    // The package SMS may have reached the spool before this report: of those
    // still waiting, sent before it and within the window, the last one sent.
    auto waiting = db->Prepare(
        "SELECT id FROM sms_received WHERE user_id IS NULL AND short_number = ? AND text = ? COLLATE NOCASE "
        "AND sent_ms <= ? AND sent_ms >= ? ORDER BY sent_ms DESC, id DESC LIMIT 1");
    waiting.Bind(1, number).Bind(2, text).Bind(3, now_ms).Bind(4, now_ms - pairing_.window_ms);
    if (waiting.Step()) {
      const int received_id = static_cast<int>(waiting.Int(0));
      auto claim = db->Prepare("UPDATE sms_received SET user_id = ? WHERE id = ?");
      claim.Bind(1, user_id).Bind(2, received_id);
      claim.Run();
      SetReportState(*db, report_id, kReportMatched);
      GrantSubscriptionIn(*db, user_id, package->id, package->period_days, Seconds(now_ms));
    }
  }
  transaction.Commit();
  return true;
}

}  // namespace kestrova::server
