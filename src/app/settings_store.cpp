#include "app/settings_store.h"

#include <cstdlib>

#include "platform/utf8.h"

#ifndef KESTROVA_API_URL_PRIMARY
#define KESTROVA_API_URL_PRIMARY "http://127.0.0.1:8080"
#endif
#ifndef KESTROVA_API_URL_ALTERNATE
#define KESTROVA_API_URL_ALTERNATE "http://localhost:8080"
#endif

namespace kestrova::app {

namespace {

std::wstring Widen(const char* text) { return platform::DecodeUtf8(text).value_or(std::wstring()); }

std::int32_t ProfileInt(const platform::Registry& registry, const wchar_t* name, std::int32_t fallback) {
  const auto value = registry.QueryDword(kProfileKey, name);
  return value ? static_cast<std::int32_t>(*value) : fallback;
}

std::wstring ProfileString(const platform::Registry& registry, const wchar_t* name) {
  return registry.QueryString(kProfileKey, name).value_or(std::wstring());
}

}  // namespace

ApiBaseUrls ApiBaseUrls::FromBuild() {
  ApiBaseUrls urls{Widen(KESTROVA_API_URL_PRIMARY), Widen(KESTROVA_API_URL_ALTERNATE), std::nullopt};
  if (const char* env = std::getenv("KESTROVA_API_URL"); env != nullptr && *env != '\0') {
    std::wstring url = Widen(env);
    while (!url.empty() && url.back() == L'/') url.pop_back();
    if (!url.empty()) urls.overrideUrl = std::move(url);
  }
  return urls;
}

bool ReadSettings(const platform::Registry& registry, const ApiBaseUrls& urls, model::SettingsFields& fields) {
  bool complete = true;
  if (const auto v = registry.QueryDword(kDistributionKey, L"AffiliateID")) fields.affiliateId = static_cast<std::int32_t>(*v);
  else complete = false;
  if (const auto v = registry.QueryDword(kDistributionKey, L"iFriendID")) fields.friendId = static_cast<std::int32_t>(*v);
  else complete = false;
  if (const auto v = registry.QueryDword(kDistributionKey, L"iAgregatorID")) fields.agregatorId = static_cast<std::int32_t>(*v);
  else complete = false;
  const auto linkId = registry.QueryDword(kDistributionKey, L"iLinkID");
  if (!linkId) complete = false;

  fields.apiBaseUrl = (linkId && static_cast<std::int32_t>(*linkId) == 1) ? urls.alternate : urls.primary;
  if (urls.overrideUrl) fields.apiBaseUrl = *urls.overrideUrl;

  fields.languageId = ProfileInt(registry, L"iLanguageID", -1);
  fields.countryCode = ProfileString(registry, L"strCountryCode");
  fields.countryName = ProfileString(registry, L"strCountryName");
  fields.operatorId = ProfileInt(registry, L"iOperatorID", -1);
  fields.operatorName = ProfileString(registry, L"strOperatorName");
  fields.timeZoneId = ProfileInt(registry, L"iTimeZoneID", -1);
  fields.timeZoneShift = ProfileString(registry, L"strTimeZoneShift");
  fields.login = ProfileString(registry, L"strLogin");
  fields.password = ProfileString(registry, L"strPassword");
  fields.qualityId = ProfileInt(registry, L"iQualityID", -1);
  return complete;
}

platform::Status WriteSettings(platform::Registry& registry, const model::SettingsFields& fields) {
  registry.SetDword(kProfileKey, L"iLanguageID", static_cast<std::uint32_t>(fields.languageId));
  registry.SetString(kProfileKey, L"strCountryCode", fields.countryCode);
  registry.SetString(kProfileKey, L"strCountryName", fields.countryName);
  registry.SetDword(kProfileKey, L"iOperatorID", static_cast<std::uint32_t>(fields.operatorId));
  registry.SetString(kProfileKey, L"strOperatorName", fields.operatorName);
  registry.SetDword(kProfileKey, L"iTimeZoneID", static_cast<std::uint32_t>(fields.timeZoneId));
  registry.SetString(kProfileKey, L"strTimeZoneShift", fields.timeZoneShift);
  registry.SetString(kProfileKey, L"strLogin", fields.login);
  registry.SetString(kProfileKey, L"strPassword", fields.password);
  registry.SetDword(kProfileKey, L"iQualityID", static_cast<std::uint32_t>(fields.qualityId));
  return registry.Flush();
}

}  // namespace kestrova::app
