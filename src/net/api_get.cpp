#include "net/api_get.h"

#include "app/kestrova_doc.h"
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

std::wstring ApiUrl(const app::CKestrovaDoc& document, std::wstring_view request) {
  const std::time_t now = document.clock->Now() + document.timeGap.load(std::memory_order_relaxed);
  std::wstring url = document.settings.apiBaseUrl;
  url += L'/';
  url += request;
  url += FormatRequest(kDistributionSuffix, {document.settings.friendId, document.settings.agregatorId});
  url += TimeToken(now);
  return url;
}

bool ApiGet(app::CKestrovaDoc& document, std::wstring_view request, std::filesystem::path& answerFile,
            std::wstring_view extraHeaders) {
  return HttpGetToFile(document, ApiUrl(document, request), answerFile, extraHeaders);
}

}  // namespace kestrova::net
