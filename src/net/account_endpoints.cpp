#include "net/account_endpoints.h"

#include "net/answer_reading.h"
#include "net/api_context.h"
#include "net/endpoint.h"
#include "net/http_transport.h"
#include "net/query_keys.h"
#include "net/request_format.h"
#include "shared/security_string.h"

namespace kestrova::net {
namespace {

constexpr const wchar_t* kLoginFormat =
    L"login.php?login=%s&password=%s&lng_id=%02d&affiliate_id=%d&codepage=utf8&client=wm&dist_number=1";
constexpr const wchar_t* kNewUserFormat =
    L"new_user.php?affiliate_id=%d&codepage=utf8&lng_id=%02d&client=wm&dist_number=1";
constexpr int kNoOperator = -1;

}  // namespace

model::RequestResultPtr Login(const ApiContext& api, const std::wstring& login, const std::wstring& password) {
  const CommonQueryValues common = CommonQuery(api);
  EndpointCall call;
  call.request =
      FormatRequest(kLoginFormat, {QueryValue(login), QueryValue(password), common.languageId, common.affiliateId});
  call.rootElement = "login";
  call.readRoot = [&](const XmlElement& root, model::RequestResult& result) {
    api.data.userId = AttributeNumber(root, "user_id");
    api.data.nick = AttributeText(root, "nick");
    api.data.sessionKey = AttributeText(root, "key");
    api.data.settings.login = login;
    api.data.settings.password = password;
    result.ok = true;
  };
  return RunEndpoint(api, call);
}

model::RequestResultPtr NewUser(const ApiContext& api) {
  EstablishDataConnection(api.network);
  const CommonQueryValues common = CommonQuery(api);
  EndpointCall call;
  call.request = FormatRequest(kNewUserFormat, {common.affiliateId, common.languageId});
  call.rootElement = "new_user";
  call.readRoot = [&](const XmlElement& root, model::RequestResult& result) {
    auto credentials = shared::DecodeSecurityString(AttributeText(root, "security_str"));
    if (!credentials) return;
    model::SettingsFields& settings = api.data.settings;
    settings.countryCode.clear();
    settings.operatorId = kNoOperator;
    settings.login = std::move(credentials->login);
    settings.password = std::move(credentials->password);
    result.ok = true;
  };
  return RunEndpoint(api, call);
}

}  // namespace kestrova::net
