#include "net/setup_endpoints.h"

#include <algorithm>
#include <ctime>

#include "net/answer_reading.h"
#include "net/api_context.h"
#include "net/endpoint.h"
#include "net/query_keys.h"
#include "net/request_format.h"

namespace kestrova::net {
namespace {

constexpr const wchar_t* kCountriesFormat =
    L"countries.php?user_id=%d&key=%s&affiliate_id=%d&lng_id=%02d&codepage=utf8&client=wm&dist_number=1";
constexpr const wchar_t* kOperatorsFormat =
    L"operators.php?user_id=%d&key=%s&affiliate_id=%d&lng_id=%02d&country_code=%s&codepage=utf8&client=wm"
    L"&dist_number=1";
constexpr const wchar_t* kZonesFormat =
    L"zones.php?user_id=%d&key=%s&affiliate_id=%d&country_code=%s&lng_id=%d&codepage=utf8&client=wm&dist_number=1";
constexpr const wchar_t* kSetupFormat =
    L"setup.php?user_id=%d&key=%s&affiliate_id=%d&provider_id=%02d&zone_id=%d&client=wm&y=%d&m=%d&d=%d&hour=%d"
    L"&min=%d&sec=%d&lng_id=%02d&codepage=utf8&dist_number=1";
constexpr const wchar_t* kUpdateSettingsFormat =
    L"update_lng_set.php?user_id=%d&key=%s&affiliate_id=%d&lng_id=%d&country_code=%s&operator_id=%d&zone_id=%d"
    L"&codepage=utf8&client=wm&dist_number=1";

// The set-up request always names this zone; the user's zone travels with
// update_lng_set.
constexpr int kSetupZoneId = 7;
// The quality id when the stored one is not offered.
constexpr int kNoQuality = 0;
constexpr int kTmYearBase = 1900;

// Calls read(child) for every child element with the name.
template <typename Read>
void ForEachChild(const XmlElement& parent, const char* name, Read read) {
  for (XmlElement child = parent.FirstChildElement(name); child; child = child.NextSiblingElement(name)) read(child);
}

void ReadShortNumbers(const XmlElement& settings, const ApiContext& api) {
  const XmlElement numbers = settings.FirstChildElement("shortnumbers");
  if (!numbers) return;
  ForEachChild(numbers, "shortnumber", [&](const XmlElement& child) {
    auto record = std::make_unique<model::ShortNumberRecord>();
    record->price = AttributeText(child, "price");
    record->credit = AttributeNumber(child, "credit");
    record->number = AttributeNumber(child, "number");
    record->prefix = AttributeText(child, "prefix");
    api.data.shortNumbers.push_back(std::move(record));
  });
}

void ReadQualities(const XmlElement& settings, const ApiContext& api) {
  const XmlElement qualities = settings.FirstChildElement("qualities");
  if (!qualities) return;
  ForEachChild(qualities, "quality", [&](const XmlElement& child) {
    auto record = std::make_unique<model::QualityRecord>();
    record->id = AttributeNumber(child, "id");
    record->name = AttributeText(child, "name");
    record->requiredSpeed = AttributeText(child, "spd_req");
    api.data.qualities.push_back(std::move(record));
  });
}

model::QualityRecord* FindQuality(const ApiContext& api, int id) {
  for (auto& quality : api.data.qualities) {
    if (quality->id == id) return quality.get();
  }
  return nullptr;
}

void ReadSettings(const XmlElement& root, const ApiContext& api) {
  if (const XmlElement time = root.FirstChildElement("time")) {
    api.network.timeGap.store(AttributeNumber(time, "gap"));
  }
  if (const XmlElement control = root.FirstChildElement("control")) {
    api.data.controlLink = AttributeText(control, "link");
  }
  ReadShortNumbers(root, api);
  ReadQualities(root, api);
  if (FindQuality(api, api.data.settings.qualityId) == nullptr) api.data.settings.qualityId = kNoQuality;
}

void ReadUpdatedNames(const XmlElement& root, const ApiContext& api) {
  model::SettingsFields& settings = api.data.settings;
  if (const XmlElement country = root.FirstChildElement("country")) settings.countryName = ElementText(country);
  if (const XmlElement op = root.FirstChildElement("operator")) settings.operatorName = ElementText(op);
  if (const XmlElement zone = root.FirstChildElement("zone")) settings.timeZoneShift = AttributeText(zone, "shift");
  const XmlElement qualities = root.FirstChildElement("qualities");
  if (!qualities) return;
  ForEachChild(qualities, "quality", [&](const XmlElement& child) {
    if (model::QualityRecord* quality = FindQuality(api, AttributeNumber(child, "id"))) {
      quality->name = AttributeText(child, "name");
    }
  });
}

}  // namespace

model::RequestResultPtr Countries(const ApiContext& api) {
  const CommonQueryValues common = CommonQuery(api);
  EndpointCall call;
  call.refreshList = [&] { api.data.countries.clear(); };
  call.request = FormatRequest(kCountriesFormat, {common.userId, common.key, common.affiliateId, common.languageId});
  call.rootElement = "countries";
  call.readRoot = [&](const XmlElement& root, model::RequestResult& result) {
    ForEachChild(root, "country", [&](const XmlElement& child) {
      auto record = std::make_unique<model::CountryRecord>();
      record->code = AttributeText(child, "code");
      record->name = ElementText(child);
      record->isDefault = AttributeNumber(child, "def");
      api.data.countries.push_back(std::move(record));
    });
    result.ok = !api.data.countries.empty();
  };
  return RunEndpoint(api, call);
}

model::RequestResultPtr Operators(const ApiContext& api) {
  const CommonQueryValues common = CommonQuery(api);
  EndpointCall call;
  call.refreshList = [&] { api.data.operators.clear(); };
  call.request = FormatRequest(kOperatorsFormat, {common.userId, common.key, common.affiliateId, common.languageId,
                                                  QueryValue(api.data.settings.countryCode)});
  call.rootElement = "operators";
  call.readRoot = [&](const XmlElement& root, model::RequestResult& result) {
    ForEachChild(root, "operator", [&](const XmlElement& child) {
      auto record = std::make_unique<model::OperatorRecord>();
      record->id = AttributeNumber(child, "id");
      record->name = ElementText(child);
      api.data.operators.push_back(std::move(record));
    });
    result.ok = !api.data.operators.empty();
  };
  return RunEndpoint(api, call);
}

model::RequestResultPtr Zones(const ApiContext& api) {
  const CommonQueryValues common = CommonQuery(api);
  EndpointCall call;
  call.refreshList = [&] { api.data.zones.clear(); };
  call.request = FormatRequest(kZonesFormat, {common.userId, common.key, common.affiliateId,
                                              QueryValue(api.data.settings.countryCode), common.languageId});
  call.rootElement = "zones";
  call.readRoot = [&](const XmlElement& root, model::RequestResult& result) {
    ForEachChild(root, "zone", [&](const XmlElement& child) {
      auto record = std::make_unique<model::ZoneRecord>();
      record->id = AttributeNumber(child, "id");
      record->isDefault = AttributeNumber(child, "default") == 1 ? 1 : 0;
      record->shift = AttributeText(child, "shift");
      record->name = AttributeText(child, "name");
      api.data.zones.push_back(std::move(record));
    });
    result.ok = !api.data.zones.empty();
  };
  return RunEndpoint(api, call);
}

model::RequestResultPtr Setup(const ApiContext& api) {
  const CommonQueryValues common = CommonQuery(api);
  const std::tm device = platform::LocalTime(api.network.clock->Now()).value_or(std::tm{});
  EndpointCall call;
  call.refreshList = [&] {
    api.data.shortNumbers.clear();
    api.data.qualities.clear();
  };
  call.request =
      FormatRequest(kSetupFormat, {common.userId, common.key, common.affiliateId, api.data.settings.operatorId,
                                   kSetupZoneId, device.tm_year + kTmYearBase, device.tm_mon + 1, device.tm_mday,
                                   device.tm_hour, device.tm_min, device.tm_sec, common.languageId});
  call.rootElement = "settings";
  call.readRoot = [&](const XmlElement& root, model::RequestResult& result) {
    ReadSettings(root, api);
    result.ok = true;
  };
  return RunEndpoint(api, call);
}

model::RequestResultPtr UpdateLanguageSettings(const ApiContext& api) {
  const CommonQueryValues common = CommonQuery(api);
  const model::SettingsFields& settings = api.data.settings;
  EndpointCall call;
  call.request = FormatRequest(kUpdateSettingsFormat,
                               {common.userId, common.key, common.affiliateId, common.languageId,
                                QueryValue(settings.countryCode), settings.operatorId, settings.timeZoneId});
  call.rootElement = "update_settings";
  call.readRoot = [&](const XmlElement& root, model::RequestResult& result) {
    ReadUpdatedNames(root, api);
    result.ok = true;
  };
  return RunEndpoint(api, call);
}

}  // namespace kestrova::net
