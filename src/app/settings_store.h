// The settings the user chose and the distribution values the installer
// left, as kept in the registry between runs.
//
// Distribution key "Software\Orvanta" (written by kestrova-install, only read
// here): "AffiliateID", "iFriendID", "iAgregatorID", "iLinkID", each a 4-byte
// value. Profile section "Software\Orvanta\Kestrova\Settings": the user's
// choices and credentials.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/settings_fields.h"
#include "platform/registry.h"

namespace kestrova::app {

inline constexpr const wchar_t* kDistributionKey = L"Software\\Orvanta";
inline constexpr const wchar_t* kCompanyKey = L"Orvanta";
inline constexpr const wchar_t* kApplicationTitle = L"Kestrova";
inline constexpr const wchar_t* kProfileKey = L"Software\\Orvanta\\Kestrova\\Settings";
inline constexpr const char* kSettingsFailureMessage =
    "Failed to load settings from registry, please reinstall application!";

// The two API base URLs, build options; `overrideUrl` (KESTROVA_API_URL)
// replaces the chosen one when given.
struct ApiBaseUrls {
  std::wstring primary;
  std::wstring alternate;
  std::optional<std::wstring> overrideUrl;

  // The build's URLs and the environment's override.
  static ApiBaseUrls FromBuild();
};

// Reads the distribution values and the profile section into `fields`.
// Returns false when one of the four distribution values is missing or not
// four bytes long; the profile is read in every case.
[[nodiscard]] bool ReadSettings(const platform::Registry& registry, const ApiBaseUrls& urls,
                                model::SettingsFields& fields);

// Writes the ten profile values and persists them; fails, with the reason,
// when the registry file could not be written (the values stay pending).
platform::Status WriteSettings(platform::Registry& registry, const model::SettingsFields& fields);

}  // namespace kestrova::app
