#include "language.h"

#include <charconv>

namespace kestrova::server {
namespace {

constexpr int kLngRussian = 1;
constexpr int kLngEnglish = 2;
constexpr int kLngSpanish = 4;
constexpr int kLngFrench = 5;

}  // namespace

Language LanguageFromLngId(std::string_view lng_id) {
  int value = 0;
  const auto [end, error] = std::from_chars(lng_id.data(), lng_id.data() + lng_id.size(), value);
  if (error != std::errc() || end != lng_id.data() + lng_id.size()) return Language::kEnglish;
  switch (value) {
    case kLngRussian: return Language::kRussian;
    case kLngSpanish: return Language::kSpanish;
    case kLngFrench: return Language::kFrench;
    case kLngEnglish:
    default: return Language::kEnglish;
  }
}

const std::string& LocalText::In(Language language) const {
  const auto& text = texts_[static_cast<std::size_t>(language)];
  return text.empty() ? texts_[0] : text;
}

std::string FormatText(std::string_view text, std::initializer_list<std::string_view> values) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '{' && i + 2 < text.size() && text[i + 2] == '}' && text[i + 1] >= '0' && text[i + 1] <= '9') {
      const auto index = static_cast<std::size_t>(text[i + 1] - '0');
      if (index < values.size()) {
        out += *(values.begin() + index);
        i += 2;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

}  // namespace kestrova::server
