#include "net/api_get.h"

#include "net/api_context.h"
#include "net/http_transport.h"
#include "net/request_format.h"
#include "platform/clock.h"

namespace kestrova::net {

namespace {
constexpr const wchar_t* kDistributionSuffix = L"&friend_id=%d&agregator_id=%d";
constexpr const wchar_t* kTimeTokenFormat = L"&%d%d%d";
constexpr int kUnknownPart = -1;
}  // namespace

std::wstring TimeToken(std::time_t moment) {
  const auto local = platform::LocalTime(moment);
  if (!local) return FormatRequest(kTimeTokenFormat, {kUnknownPart, kUnknownPart, kUnknownPart});
  return FormatRequest(kTimeTokenFormat, {local->tm_hour, local->tm_min, local->tm_sec});
}

std::wstring ApiUrl(const ApiContext& api, std::wstring_view request) {
  const auto now = static_cast<std::time_t>(api.network.ServerNow());
  std::wstring url = api.data.settings.apiBaseUrl;
  url += L'/';
  url += request;
  url += FormatRequest(kDistributionSuffix, {api.data.settings.friendId, api.data.settings.agregatorId});
  url += TimeToken(now);
  return url;
}

bool ApiGet(const ApiContext& api, std::wstring_view request, std::filesystem::path& answerFile,
            std::wstring_view extraHeaders) {
  return HttpGetToFile(api.Transfers(), ApiUrl(api, request), answerFile, extraHeaders);
}

}  // namespace kestrova::net
