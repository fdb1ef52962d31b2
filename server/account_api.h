// Account and set-up scripts: login, new_user, countries, operators, zones,
// version, setup, update_lng_set.
#pragma once

#include "api_router.h"
#include "server_context.h"

namespace kestrova::server {

class AccountApi {
 public:
  explicit AccountApi(ServerContext& context) : context_(context) {}

  void Register(ApiRouter& router);

 private:
  std::string Login(const ApiRequest& request);
  std::string NewUser(const ApiRequest& request);
  std::string Countries(const ApiRequest& request);
  std::string Operators(const ApiRequest& request);
  std::string Zones(const ApiRequest& request);
  std::string Version(const ApiRequest& request);
  std::string Setup(const ApiRequest& request);
  std::string UpdateLanguageSettings(const ApiRequest& request);

  const Country& RequireCountry(const ApiRequest& request);

  ServerContext& context_;
};

}  // namespace kestrova::server
