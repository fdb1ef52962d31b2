// The user's settings and the distribution values of the data state, as
// the settings store reads them from and writes them to the registry.
#pragma once

#include <cstdint>
#include <string>

namespace kestrova::model {

// The settings fields of the document's data, in record order, with their
// defaults before loading.
struct SettingsFields {
  std::wstring login;
  std::wstring password;  // stored as plain text
  std::int32_t affiliateId = 2;
  std::int32_t friendId = 0;      // not set before a successful load
  std::int32_t agregatorId = 0;   // not set before a successful load
  std::wstring apiBaseUrl;        // chosen by "iLinkID"; no trailing slash
  std::int32_t languageId = -1;   // 1 English, 2 Russian, 3 Spanish, 4 French; -1 none chosen
  std::wstring countryCode;
  std::wstring countryName;
  std::int32_t operatorId = -1;
  std::wstring operatorName;
  std::int32_t timeZoneId = -1;
  std::wstring timeZoneShift;
  std::int32_t qualityId = -1;    // 1 and below: automatic choice

  bool operator==(const SettingsFields&) const = default;
};

}  // namespace kestrova::model
