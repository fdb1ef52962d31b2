#include "platform/system_locale.h"

#include <array>
#include <cstdlib>
#include <string_view>

namespace kestrova::platform {

std::string MessagesLocale() {
  constexpr std::array<const char*, 4> kVariables = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
  for (const char* name : kVariables) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') continue;
    std::string_view locale(value);
    // LANGUAGE is a list of preferences ("fr_FR:en"): the first one counts.
    if (const auto colon = locale.find(':'); colon != std::string_view::npos) locale = locale.substr(0, colon);
    if (!locale.empty()) return std::string(locale);
  }
  return {};
}

}  // namespace kestrova::platform
