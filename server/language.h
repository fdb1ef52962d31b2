// The four languages of the service and the texts kept in each of them.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace kestrova::server {

enum class Language : std::size_t { kEnglish = 0, kRussian = 1, kSpanish = 2, kFrench = 3 };
inline constexpr std::size_t kLanguageCount = 4;

// The client's lng_id values: 1 Russian, 2 English, 4 Spanish, 5 French. Any
// other value (also a missing or unreadable one) answers in English.
Language LanguageFromLngId(std::string_view lng_id);

// The attribute names of the content files, in Language order.
inline constexpr std::array<std::string_view, kLanguageCount> kLanguageCodes = {"en", "ru", "es", "fr"};

// A text in every language; a language without its own text shows the English one.
class LocalText {
 public:
  LocalText() = default;
  LocalText(std::string en, std::string ru, std::string es = {}, std::string fr = {})
      : texts_{std::move(en), std::move(ru), std::move(es), std::move(fr)} {}

  void Set(Language language, std::string text) { texts_[static_cast<std::size_t>(language)] = std::move(text); }
  const std::string& In(Language language) const;
  bool Empty() const { return texts_[0].empty(); }

 private:
  std::array<std::string, kLanguageCount> texts_;
};

// Replaces "{0}", "{1}", ... in a text with the given values.
std::string FormatText(std::string_view text, std::initializer_list<std::string_view> values);

}  // namespace kestrova::server
