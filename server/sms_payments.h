// Payment SMS as the operator's billing would see them. A credit SMS ("<prefix>
// <login>" to a short number) credits that login's account at once. A package
// SMS (the package's fixed text to its number) names no account, so it is paired
// with a client's sms_sent report of the same number and text, whichever of
// the two arrives first (the rule and its limits: docs/sms-pairing.md).
//
// Every SMS is paid at most once: its stable file key is recorded in the same
// transaction as the credit or subscription it brings.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string_view>

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
  // A report and a package SMS meet only within this many seconds.
  std::int64_t window_seconds = 0;
  // An account's reports still waiting for their SMS; beyond this the oldest
  // of them are retired.
  int max_open_reports = 0;
};

inline constexpr int kDefaultMaxOpenReports = 3;

class SmsPayments {
 public:
  SmsPayments(Storage& storage, const Catalogue& catalogue, SmsPairing pairing)
      : storage_(storage), catalogue_(catalogue), pairing_(pairing) {}

  // An SMS found in the spool, identified by the key of its file; file names
  // the file for people reading the database. before_commit runs inside the
  // transaction, after the payment is written (a fault-injection point).
  SmsOutcome Received(std::string_view number, std::string_view text, std::string_view file_key,
                      std::string_view file, std::time_t now, const std::function<void()>& before_commit = {});
  // Whether an SMS file was handled already: by its key, or for files claimed
  // by earlier versions (which recorded no key) by its name in the sent folder.
  bool Known(std::string_view file_key, std::string_view sent_name);
  // The client's report that it sent an SMS.
  void Reported(int user_id, std::string_view number, std::string_view text, int status, std::time_t now);

 private:
  Storage& storage_;
  const Catalogue& catalogue_;
  SmsPairing pairing_;
};

}  // namespace kestrova::server
