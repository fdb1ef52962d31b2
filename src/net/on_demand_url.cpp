#include "net/on_demand_url.h"

#include "net/query_keys.h"
#include "net/request_format.h"

namespace kestrova::net {
namespace {

constexpr const wchar_t* kOnDemandFormat =
    L"%sorva%d.3gp?user_id=%d&user_key=%s&quality=%d&client_type=java&query_type=getvid_ondemand&video_id=%d";
constexpr wchar_t kPathSeparator = L'/';

}  // namespace

std::wstring OnDemandUrl(const model::DataState& data, int videoId, int qualityId) {
  std::wstring base = data.controlLink;
  if (base.empty() || base.back() != kPathSeparator) base += kPathSeparator;
  return FormatRequest(kOnDemandFormat, {base, videoId, data.userId, QueryValue(data.sessionKey), qualityId, videoId});
}

}  // namespace kestrova::net
