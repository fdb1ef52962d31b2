// Every API script of the server on one router: the account and set-up,
// catalogue and billing scripts, registered in one place for the server and
// for anything else that answers requests as it does.
#pragma once

#include <httplib.h>

#include <string>

#include "account_api.h"
#include "api_router.h"
#include "billing_api.h"
#include "catalogue_api.h"
#include "server_context.h"

namespace kestrova::server {

class ApiScripts {
 public:
  // fallback_base_url: the server's own address, for links in answers to
  // requests without a Host.
  ApiScripts(ServerContext& context, std::string fallback_base_url);
  ApiScripts(const ApiScripts&) = delete;
  ApiScripts& operator=(const ApiScripts&) = delete;

  // Registers the scripts' dispatch on the HTTP server; this object must
  // outlive the server's listening.
  void Install(httplib::Server& http) { router_.Install(http); }

 private:
  ApiRouter router_;
  AccountApi account_;
  CatalogueApi catalogue_;
  BillingApi billing_;
};

}  // namespace kestrova::server
