// The interface texts of the four languages, by string id (= line number of
// the language file). All four files are read at start-up and stay in memory,
// so switching the language is instant.
#pragma once

#include <array>
#include <atomic>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace kestrova::resources {

// Language indexes.
constexpr int kLanguageEnglish = 1;
constexpr int kLanguageRussian = 2;
constexpr int kLanguageSpanish = 3;
constexpr int kLanguageFrench = 4;
constexpr int kNoLanguage = -1;  // the settings before a language was ever chosen

class StringTable {
 public:
  static constexpr int kNoText = 10000;  // always ""

  // Reads "strings_en.txt", "strings_ru.txt", "strings_es.txt" and
  // "strings_fr.txt" from the folder. A file that cannot be read leaves its
  // language empty, the others are still read, and the load fails naming
  // the files it could not read.
  platform::Status Load(const std::filesystem::path& directory);
  // Parses one language file's text (exposed for tests).
  static std::vector<std::wstring> ParseLanguageFile(std::string_view fileText);

  // The current language; written on the user-interface thread, read by the
  // network workers, so it is a single atomic value.
  void SetLanguage(int languageIndex) { language_.store(languageIndex, std::memory_order_relaxed); }
  int Language() const { return language_.load(std::memory_order_relaxed); }

  // The text of the id in the current language; "" for id 10000, an id the
  // language's file does not have, or a language outside 1 to 4.
  std::wstring Get(int id) const;
  // Language index 1-4 -> its name (ids 11, 10, 98, 100).
  std::wstring LanguageName(int languageIndex) const;
  // Day number 1 (Sunday) to 7 (Saturday) -> its name (ids 57, 51-56).
  std::wstring WeekdayName(int dayNumber) const;
  // The text of the id with its placeholder filled with the number.
  std::wstring FormatNumber(int id, int number) const;
  // The language id the server expects: 1 -> 2, 2 -> 1, 3 -> 4, 4 -> 5, else -1.
  static int ServerLanguageId(int languageIndex);

  std::size_t Count(int languageIndex) const;

 private:
  std::atomic<int> language_{kLanguageEnglish};
  std::array<std::vector<std::wstring>, 4> texts_;
};

// The process-wide string table, constructed on first use.
StringTable& Strings();

}  // namespace kestrova::resources
