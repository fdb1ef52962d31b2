#include "resources/system_language.h"

#include <array>
#include <utility>

#include "platform/system_locale.h"
#include "resources/string_table.h"

namespace kestrova::resources {

int LanguageOfLocale(std::string_view locale) {
  constexpr std::array<std::pair<std::string_view, int>, 3> kLanguages = {
      {{"ru", kLanguageRussian}, {"es", kLanguageSpanish}, {"fr", kLanguageFrench}}};
  // The language part ends at the territory, the code set or the modifier.
  const std::string_view language = locale.substr(0, locale.find_first_of("_.@-"));
  for (const auto& [code, index] : kLanguages) {
    if (language == code) return index;
  }
  return kLanguageEnglish;
}

int SystemLanguage() { return LanguageOfLocale(platform::MessagesLocale()); }

}  // namespace kestrova::resources
