// Text from the server and from the language files: UTF-8 to wide text.
#pragma once

#include <string>
#include <string_view>

namespace kestrova::resources {

// The wide text of a zero-terminated UTF-8 text; "" for a null pointer or
// for text that is not valid UTF-8. Every letter survives, Latin, Cyrillic
// and beyond alike.
std::wstring AnswerText(const char* utf8);
std::wstring AnswerText(std::string_view utf8);

}  // namespace kestrova::resources
