#include "server_context.h"

#include <ctime>

namespace kestrova::server {

Account Authenticate(const ServerContext& context, const ApiRequest& request) {
  const int user_id = request.Int("user_id");
  const std::string key = request.Text("key");
  auto account = context.accounts.BySession(user_id, key, std::time(nullptr));
  if (!account) request.Fail(kErrorBadSession, TextId::kBadSession);
  return *account;
}

}  // namespace kestrova::server
