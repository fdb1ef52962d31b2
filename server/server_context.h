// What the API handlers share: the content, the programme, the logos and the
// stores of the server's state, plus the settings that change answers.
#pragma once

#include <string>
#include <vector>

#include "accounts.h"
#include "api_request.h"
#include "catalogue.h"
#include "images.h"
#include "inbox.h"
#include "programme.h"
#include "sms_payments.h"
#include "sms_spool.h"
#include "wallet.h"

namespace kestrova::server {

// What the version script tells an older client.
enum class VersionPolicy { kNone, kRecommended, kRequired };

struct ServerContext {
  const Catalogue& catalogue;
  const Programme& programme;
  const LogoStore& logos;
  Accounts& accounts;
  Wallet& wallet;
  Inbox& inbox;
  SmsPayments& sms_payments;
  SmsSpool* spool;  // none when no spool is read
  VersionPolicy version_policy;
  // Reverse proxies whose X-Forwarded-For names the caller (canonical
  // addresses); none by default.
  std::vector<std::string> trusted_proxies{};
};

// The account of the request's user_id and key; fails with the bad-session
// error otherwise.
Account Authenticate(const ServerContext& context, const ApiRequest& request);

}  // namespace kestrova::server
