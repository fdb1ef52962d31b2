// Payment SMS as the operator's billing would see them. A credit SMS ("<prefix>
// <login>" to a short number) credits that login's account at once. A package
// SMS (the package's fixed text to its number) names no account, so it is paired
// with the client's sms_sent report of the same number and text, whichever of
// the two arrives first.
#pragma once

#include <ctime>
#include <string_view>

#include "catalogue.h"
#include "storage.h"

namespace kestrova::server {

enum class SmsOutcome {
  kCredited,          // a credit SMS credited its account
  kSubscribed,        // a package SMS met its report
  kWaitingForReport,  // a package SMS kept until its report arrives
  kNotUnderstood      // no short number, login or package matches
};

class SmsPayments {
 public:
  SmsPayments(Storage& storage, const Catalogue& catalogue) : storage_(storage), catalogue_(catalogue) {}

  // An SMS found in the spool.
  SmsOutcome Received(std::string_view number, std::string_view text, std::string_view file, std::time_t now);
  // The client's report that it sent an SMS.
  void Reported(int user_id, std::string_view number, std::string_view text, int status, std::time_t now);

 private:
  Storage& storage_;
  const Catalogue& catalogue_;
};

}  // namespace kestrova::server
