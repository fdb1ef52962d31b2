#include "account_api.h"

#include <array>
#include <ctime>

#include "answer_parts.h"
#include "shared/security_string.h"
#include "stream_control.h"
#include "xml_writer.h"

namespace kestrova::server {
namespace {

constexpr int kVersionParts = 3;
constexpr int kFirstYear = 1970;
constexpr int kLastYear = 9999;
constexpr int kMonths = 12;
constexpr int kDaysInMonth = 31;
constexpr int kHours = 23;
constexpr int kMinutes = 59;
constexpr int kSeconds = 60;  // a leap second may show
constexpr int kLngEnglish = 2;

using VersionNumber = std::array<int, kVersionParts>;

// "2.0.0"; missing parts count as 0, anything unreadable as the oldest version.
VersionNumber ParseVersion(std::string_view text) {
  VersionNumber version{};
  for (int part = 0; part < kVersionParts && !text.empty(); ++part) {
    const auto dot = text.find('.');
    const auto number = ParseStrictInt(text.substr(0, dot));
    if (!number || *number < 0) return {};
    version[static_cast<std::size_t>(part)] = *number;
    text = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
  }
  return version;
}

int RequireRange(const ApiRequest& request, std::string_view key, int low, int high) {
  const int value = request.Int(key);
  if (value < low || value > high) request.Fail(kErrorBadParameter, TextId::kBadParameter, {key});
  return value;
}

}  // namespace

void AccountApi::Register(ApiRouter& router) {
  router.Add("login.php", [this](const ApiRequest& r) { return Login(r); });
  router.Add("new_user.php", [this](const ApiRequest& r) { return NewUser(r); });
  router.Add("countries.php", [this](const ApiRequest& r) { return Countries(r); });
  router.Add("operators.php", [this](const ApiRequest& r) { return Operators(r); });
  router.Add("zones.php", [this](const ApiRequest& r) { return Zones(r); });
  router.Add("version.php", [this](const ApiRequest& r) { return Version(r); });
  router.Add("setup.php", [this](const ApiRequest& r) { return Setup(r); });
  router.Add("update_lng_set.php", [this](const ApiRequest& r) { return UpdateLanguageSettings(r); });
}

std::string AccountApi::Login(const ApiRequest& request) {
  const std::string login = request.Text("login");
  const std::string password = request.Text("password");
  // A refused attempt gets the same answer as a wrong password: the guesser
  // learns nothing from it.
  const auto session = context_.accounts.Login(login, password, request.CallerAddress(context_.trusted_proxies),
                                               BudgetClock::now());
  if (!session) request.Fail(kErrorWrongPassword, TextId::kWrongPassword);
  XmlElement root("login");
  root.Attr("user_id", session->user_id).Attr("nick", session->nick).Attr("key", session->key);
  return root.Document();
}

std::string AccountApi::NewUser(const ApiRequest& request) {
  const int affiliate = request.IntOr("affiliate_id", 0);
  const int lng = ParseStrictInt(request.TextOr("lng_id", "")).value_or(kLngEnglish);
  const NewAccount account = context_.accounts.Create(affiliate, lng, std::time(nullptr));
  const auto security = shared::EncodeSecurityString(account.login, account.password);
  if (!security) throw std::logic_error("generated credentials outside the security alphabet");
  XmlElement root("new_user");
  root.Attr("security_str", *security);
  return root.Document();
}

std::string AccountApi::Countries(const ApiRequest& request) {
  const Account account = Authenticate(context_, request);
  // One country is preselected: the account's own, else the one of the
  // interface language, else the first.
  const Country* chosen = context_.catalogue.FindCountry(account.country_code);
  for (const auto& country : context_.catalogue.countries) {
    if (chosen == nullptr && country.default_for == request.Lang()) chosen = &country;
  }
  if (chosen == nullptr) chosen = &context_.catalogue.countries.front();
  XmlElement root("countries");
  for (const auto& country : context_.catalogue.countries) {
    root.Add("country").Attr("code", country.code).Attr("def", &country == chosen ? 1 : 0).Text(
        country.name.In(request.Lang()));
  }
  return root.Document();
}

const Country& AccountApi::RequireCountry(const ApiRequest& request) {
  const std::string code = request.Text("country_code");
  const Country* country = context_.catalogue.FindCountry(code);
  if (country == nullptr) request.Fail(kErrorUnknownId, TextId::kUnknownId, {"country_code", code});
  return *country;
}

std::string AccountApi::Operators(const ApiRequest& request) {
  Authenticate(context_, request);
  const Country& country = RequireCountry(request);
  XmlElement root("operators");
  for (const auto& op : country.operators) root.Add("operator").Attr("id", op.id).Text(op.name.In(request.Lang()));
  return root.Document();
}

std::string AccountApi::Zones(const ApiRequest& request) {
  Authenticate(context_, request);
  const Country& country = RequireCountry(request);
  XmlElement root("zones");
  for (const auto& zone : country.zones) {
    root.Add("zone")
        .Attr("id", zone.id)
        .Attr("default", zone.is_default ? 1 : 0)
        .Attr("shift", zone.shift)
        .Attr("name", zone.name.In(request.Lang()));
  }
  return root.Document();
}

std::string AccountApi::Version(const ApiRequest& request) {
  // Asked before the log-in, so no session is needed.
  const VersionNumber client = ParseVersion(request.Text("version"));
  const VersionNumber latest = ParseVersion(context_.catalogue.latest_version);
  XmlElement root("version");
  if (context_.version_policy == VersionPolicy::kNone || !(client < latest)) {
    root.Attr("update", "none").Attr("link", "").Attr("message", "");
    return root.Document();
  }
  const bool required = context_.version_policy == VersionPolicy::kRequired;
  root.Attr("update", required ? "required" : "recommended")
      .Attr("link", request.BaseUrl() + context_.catalogue.update_link)
      .Attr("message", Text(required ? TextId::kUpdateRequired : TextId::kUpdateRecommended, request.Lang(),
                            {context_.catalogue.latest_version}));
  return root.Document();
}

std::string AccountApi::Setup(const ApiRequest& request) {
  const Account account = Authenticate(context_, request);
  const int operator_id = request.Int("provider_id");
  // The device clock, read as local time of this server: the gap makes the
  // client's clock agree with the server's.
  std::tm device{};
  device.tm_year = RequireRange(request, "y", kFirstYear, kLastYear) - 1900;
  device.tm_mon = RequireRange(request, "m", 1, kMonths) - 1;
  device.tm_mday = RequireRange(request, "d", 1, kDaysInMonth);
  device.tm_hour = RequireRange(request, "hour", 0, kHours);
  device.tm_min = RequireRange(request, "min", 0, kMinutes);
  device.tm_sec = RequireRange(request, "sec", 0, kSeconds);
  device.tm_isdst = -1;
  const std::time_t device_time = std::mktime(&device);
  const std::time_t now = std::time(nullptr);
  const long long gap = device_time == static_cast<std::time_t>(-1) ? 0 : static_cast<long long>(now - device_time);

  XmlElement root("settings");
  root.Add("time").Attr("gap", gap);
  root.Add("control").Attr("link", request.BaseUrl() + kStreamPath);
  AddShortNumbers(root.Add("shortnumbers"),
                  PaymentCountry(context_.catalogue, operator_id, account.country_code));
  auto& qualities = root.Add("qualities");
  for (const auto& quality : context_.catalogue.qualities) {
    qualities.Add("quality").Attr("id", quality.id).Attr("name", quality.name.In(request.Lang())).Attr(
        "spd_req", quality.speed);
  }
  return root.Document();
}

std::string AccountApi::UpdateLanguageSettings(const ApiRequest& request) {
  const Account account = Authenticate(context_, request);
  const std::string country_code = request.TextOr("country_code", "");
  const int operator_id = request.IntOr("operator_id", -1);
  const int zone_id = request.IntOr("zone_id", -1);
  const int lng = ParseStrictInt(request.TextOr("lng_id", "")).value_or(kLngEnglish);
  context_.accounts.UpdateRegion(account.id, country_code, operator_id, zone_id, lng);

  // Names of what is known, in the newly chosen language; an unset or unknown
  // part of the location is left out.
  XmlElement root("update_settings");
  if (const Country* country = context_.catalogue.FindCountry(country_code)) {
    root.Add("country").Text(country->name.In(request.Lang()));
  }
  if (const Operator* op = context_.catalogue.FindOperator(operator_id)) {
    root.Add("operator").Text(op->name.In(request.Lang()));
  }
  if (const Zone* zone = context_.catalogue.FindZone(zone_id)) root.Add("zone").Attr("shift", zone->shift);
  auto& qualities = root.Add("qualities");
  for (const auto& quality : context_.catalogue.qualities) {
    qualities.Add("quality").Attr("id", quality.id).Attr("name", quality.name.In(request.Lang()));
  }
  return root.Document();
}

}  // namespace kestrova::server
