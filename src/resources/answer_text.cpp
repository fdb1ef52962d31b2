#include "resources/answer_text.h"

#include <cstring>

#include "platform/utf8.h"

namespace kestrova::resources {

std::wstring AnswerText(const char* utf8) {
  if (utf8 == nullptr) return {};
  return AnswerText(std::string_view(utf8, std::strlen(utf8)));
}

std::wstring AnswerText(std::string_view utf8) {
  // Zero-terminated semantics: a text ends at its first zero byte.
  if (const auto zero = utf8.find('\0'); zero != std::string_view::npos) utf8 = utf8.substr(0, zero);
  return platform::DecodeUtf8(utf8).value_or(std::wstring());
}

}  // namespace kestrova::resources
