#include "net/setup_endpoints.h"

#include <algorithm>
#include <ctime>

#include "app/kestrova_doc.h"
#include "net/answer_reading.h"
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

void ReadShortNumbers(const XmlElement& settings, app::CKestrovaDoc& document) {
  const XmlElement numbers = settings.FirstChildElement("shortnumbers");
  if (!numbers) return;
  ForEachChild(numbers, "shortnumber", [&](const XmlElement& child) {
    auto record = std::make_unique<ShortNumberRecord>();
    record->price = AttributeText(child, "price");
    record->credit = AttributeNumber(child, "credit");
    record->number = AttributeNumber(child, "number");
    record->prefix = AttributeText(child, "prefix");
    document.shortNumbers.push_back(std::move(record));
  });
}

void ReadQualities(const XmlElement& settings, app::CKestrovaDoc& document) {
  const XmlElement qualities = settings.FirstChildElement("qualities");
  if (!qualities) return;
  ForEachChild(qualities, "quality", [&](const XmlElement& child) {
    auto record = std::make_unique<QualityRecord>();
    record->id = AttributeNumber(child, "id");
    record->name = AttributeText(child, "name");
    record->requiredSpeed = AttributeText(child, "spd_req");
    document.qualities.push_back(std::move(record));
  });
}

QualityRecord* FindQuality(app::CKestrovaDoc& document, int id) {
  for (auto& quality : document.qualities) {
    if (quality->id == id) return quality.get();
  }
  return nullptr;
}

void ReadSettings(const XmlElement& root, app::CKestrovaDoc& document) {
  if (const XmlElement time = root.FirstChildElement("time")) {
    document.timeGap.store(AttributeNumber(time, "gap"));
  }
  if (const XmlElement control = root.FirstChildElement("control")) {
    document.controlLink = AttributeText(control, "link");
  }
  ReadShortNumbers(root, document);
  ReadQualities(root, document);
  if (FindQuality(document, document.settings.qualityId) == nullptr) document.settings.qualityId = kNoQuality;
}

void ReadUpdatedNames(const XmlElement& root, app::CKestrovaDoc& document) {
  app::SettingsFields& settings = document.settings;
  if (const XmlElement country = root.FirstChildElement("country")) settings.countryName = ElementText(country);
  if (const XmlElement op = root.FirstChildElement("operator")) settings.operatorName = ElementText(op);
  if (const XmlElement zone = root.FirstChildElement("zone")) settings.timeZoneShift = AttributeText(zone, "shift");
  const XmlElement qualities = root.FirstChildElement("qualities");
  if (!qualities) return;
  ForEachChild(qualities, "quality", [&](const XmlElement& child) {
    if (QualityRecord* quality = FindQuality(document, AttributeNumber(child, "id"))) {
      quality->name = AttributeText(child, "name");
    }
  });
}

}  // namespace

RequestResultPtr Countries(app::CKestrovaDoc& document) {
  const CommonQueryValues common = CommonQuery(document);
  EndpointCall call;
  call.refreshList = [&] { document.countries.clear(); };
  call.request = FormatRequest(kCountriesFormat, {common.userId, common.key, common.affiliateId, common.languageId});
  call.rootElement = "countries";
  call.readRoot = [&](const XmlElement& root, RequestResult& result) {
    ForEachChild(root, "country", [&](const XmlElement& child) {
      auto record = std::make_unique<CountryRecord>();
      record->code = AttributeText(child, "code");
      record->name = ElementText(child);
      record->isDefault = AttributeNumber(child, "def");
      document.countries.push_back(std::move(record));
    });
    result.ok = document.countries.empty() ? 0 : 1;
  };
  return RunEndpoint(document, call);
}

RequestResultPtr Operators(app::CKestrovaDoc& document) {
  const CommonQueryValues common = CommonQuery(document);
  EndpointCall call;
  call.refreshList = [&] { document.operators.clear(); };
  call.request = FormatRequest(kOperatorsFormat, {common.userId, common.key, common.affiliateId, common.languageId,
                                                  QueryValue(document.settings.countryCode)});
  call.rootElement = "operators";
  call.readRoot = [&](const XmlElement& root, RequestResult& result) {
    ForEachChild(root, "operator", [&](const XmlElement& child) {
      auto record = std::make_unique<OperatorRecord>();
      record->id = AttributeNumber(child, "id");
      record->name = ElementText(child);
      document.operators.push_back(std::move(record));
    });
    result.ok = document.operators.empty() ? 0 : 1;
  };
  return RunEndpoint(document, call);
}

RequestResultPtr Zones(app::CKestrovaDoc& document) {
  const CommonQueryValues common = CommonQuery(document);
  EndpointCall call;
  call.refreshList = [&] { document.zones.clear(); };
  call.request = FormatRequest(kZonesFormat, {common.userId, common.key, common.affiliateId,
                                              QueryValue(document.settings.countryCode), common.languageId});
  call.rootElement = "zones";
  call.readRoot = [&](const XmlElement& root, RequestResult& result) {
    ForEachChild(root, "zone", [&](const XmlElement& child) {
      auto record = std::make_unique<ZoneRecord>();
      record->id = AttributeNumber(child, "id");
      record->isDefault = AttributeNumber(child, "default") == 1 ? 1 : 0;
      record->shift = AttributeText(child, "shift");
      record->name = AttributeText(child, "name");
      document.zones.push_back(std::move(record));
    });
    result.ok = document.zones.empty() ? 0 : 1;
  };
  return RunEndpoint(document, call);
}

RequestResultPtr Setup(app::CKestrovaDoc& document) {
  const CommonQueryValues common = CommonQuery(document);
  const std::tm device = platform::LocalTime(document.clock->Now()).value_or(std::tm{});
  EndpointCall call;
  call.refreshList = [&] {
    document.shortNumbers.clear();
    document.qualities.clear();
  };
  call.request =
      FormatRequest(kSetupFormat, {common.userId, common.key, common.affiliateId, document.settings.operatorId,
                                   kSetupZoneId, device.tm_year + kTmYearBase, device.tm_mon + 1, device.tm_mday,
                                   device.tm_hour, device.tm_min, device.tm_sec, common.languageId});
  call.rootElement = "settings";
  call.readRoot = [&](const XmlElement& root, RequestResult& result) {
    ReadSettings(root, document);
    result.ok = 1;
  };
  return RunEndpoint(document, call);
}

RequestResultPtr UpdateLanguageSettings(app::CKestrovaDoc& document) {
  const CommonQueryValues common = CommonQuery(document);
  const app::SettingsFields& settings = document.settings;
  EndpointCall call;
  call.request = FormatRequest(kUpdateSettingsFormat,
                               {common.userId, common.key, common.affiliateId, common.languageId,
                                QueryValue(settings.countryCode), settings.operatorId, settings.timeZoneId});
  call.rootElement = "update_settings";
  call.readRoot = [&](const XmlElement& root, RequestResult& result) {
    ReadUpdatedNames(root, document);
    result.ok = 1;
  };
  return RunEndpoint(document, call);
}

}  // namespace kestrova::net
