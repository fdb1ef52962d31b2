// The interface language of the user's session, for a first start that has
// no stored choice yet: the language files' language that the session's
// messages locale names.
#pragma once

#include <string_view>

namespace kestrova::resources {

// Russian, Spanish or French when the locale's language part ("ru_RU.UTF-8",
// "es", "fr_CA@euro") is ru, es or fr; English for anything else, "C" and
// "" included.
int LanguageOfLocale(std::string_view locale);

// LanguageOfLocale of platform::MessagesLocale().
int SystemLanguage();

}  // namespace kestrova::resources
