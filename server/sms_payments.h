// Payment SMS as the operator's billing would see them. A credit SMS ("<prefix>
// <login>" to a short number) credits that login's account at once. A package
// SMS (the package's fixed text to its number) names no account, so it is paired
// with a client's sms_sent report of the same number and text, filed after the
// SMS was sent and within the report window, whichever of the two reaches the
// server first (the rule and its limits: docs/sms-pairing.md).
//
// Every SMS is paid at most once: its key (sms_file_key.h) is recorded in the
// same transaction as the credit or subscription it brings.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue.h"
#include "storage.h"

namespace kestrova::server {

enum class SmsOutcome {
  kCredited,          // a credit SMS credited its account
  kSubscribed,        // a package SMS met its report
  kWaitingForReport,  // a package SMS kept until its report arrives
  kNotUnderstood,     // no short number, login or package matches
  kAlreadyHandled     // its key was recorded before (a scan interrupted after the payment)
};

struct SmsPairing {
  // A report pairs with a package SMS sent at most this long before it.
  std::int64_t window_ms = 0;
  // Package reports an account may file within one window; further ones are
  // refused.
  int max_package_reports = 0;
};

inline constexpr int kDefaultMaxPackageReports = 3;

class SmsPayments {
 public:
  SmsPayments(Storage& storage, const Catalogue& catalogue, SmsPairing pairing)
      : storage_(storage), catalogue_(catalogue), pairing_(pairing) {}

  // An SMS found in the spool, identified by its key, sent at sent_ms
  // (milliseconds since 1970); file names the file for people reading the
  // database. before_commit runs inside the transaction, after the payment
  // is written (a fault-injection point).
  SmsOutcome Received(std::string_view number, std::string_view text, std::string_view file_key,
                      std::string_view file, std::int64_t sent_ms, std::int64_t now_ms,
                      const std::function<void()>& before_commit = {});
  // Whether an SMS file was handled already: by any of its possible keys, or
  // for files claimed by earlier versions (which recorded no key) by its
  // name in the sent folder.
  bool Known(const std::vector<std::string>& file_keys, std::string_view sent_name);
  // The client's report that it sent an SMS. False when it was refused: the
  // account filed its share of package reports within the window.
  bool Reported(int user_id, std::string_view number, std::string_view text, int status, std::int64_t now_ms);

 private:
  bool OverReportBudget(Database& db, int user_id, std::int64_t now_ms) const;
  void LogRefusal(int user_id, std::int64_t now_ms);

  Storage& storage_;
  const Catalogue& catalogue_;
  SmsPairing pairing_;

  std::mutex refusals_mutex_;  // guards refusals_logged_until_
  // Accounts whose refused reports were logged, until when no more is said.
  std::map<int, std::int64_t> refusals_logged_until_;
};

}  // namespace kestrova::server
