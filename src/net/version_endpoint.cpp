#include "net/version_endpoint.h"

#include <string>

#include "net/answer_reading.h"
#include "net/api_context.h"
#include "net/endpoint.h"
#include "net/http_transport.h"
#include "net/query_keys.h"
#include "net/request_format.h"
#include "platform/browser.h"
#include "platform/utf8.h"

namespace kestrova::net {
namespace {

constexpr const wchar_t* kVersionFormat =
    L"version.php?user_id=%d&key=%s&affiliate_id=%d&version=%d.%d.%d&lng_id=%d&client_type=wm&codepage=utf8"
    L"&dist_number=1";
}  // namespace

model::RequestResultPtr Version(const ApiContext& api) {
  EstablishDataConnection(api.network);
  const CommonQueryValues common = CommonQuery(api);
  EndpointCall call;
  call.request = FormatRequest(kVersionFormat, {common.userId, common.key, common.affiliateId, kClientVersionMajor,
                                                kClientVersionMinor, kClientVersionPatch, common.languageId});
  call.rootElement = "version";
  call.readRoot = [&](const XmlElement& root, model::RequestResult& result) {
    api.data.updateKind = AttributeText(root, "update");
    api.data.updateLink = AttributeText(root, "link");
    api.data.updateMessage = AttributeText(root, "message");
    result.ok = true;
  };
  return RunEndpoint(api, call);
}

bool LaunchBrowser(const std::wstring& url) { return platform::OpenInBrowser(platform::EncodeUtf8(url)); }

}  // namespace kestrova::net
