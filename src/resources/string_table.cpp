#include "resources/string_table.h"

#include <fstream>
#include <sstream>

#include "resources/answer_text.h"
#include "resources/format_text.h"

namespace kestrova::resources {

namespace {

constexpr std::array<const char*, 4> kFileNames = {"strings_en.txt", "strings_ru.txt", "strings_es.txt",
                                                   "strings_fr.txt"};

// Every brace group becomes "%s"; an opening brace without a closing one
// takes the rest of the text.
std::wstring ReplaceBraceGroups(std::wstring text) {
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] != L'{') {
      ++i;
      continue;
    }
    std::size_t j = text.find(L'}', i);
    if (j == std::wstring::npos) j = text.size() - 1;
    text.replace(i, j - i + 1, L"%s");
    i += 2;
  }
  return text;
}

}  // namespace

std::vector<std::wstring> StringTable::ParseLanguageFile(std::string_view fileText) {
  std::vector<std::wstring> texts;
  std::size_t start = 0;
  while (start < fileText.size()) {
    std::size_t end = fileText.find('\n', start);
    if (end == std::string_view::npos) end = fileText.size();
    std::string_view line = fileText.substr(start, end - start);
    start = end + 1;
    // Lines are read whole, however long, so that no later id shifts; the
    // line feed and a carriage return before it are not part of the text.
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    texts.push_back(ReplaceBraceGroups(resources::AnswerText(line)));
  }
  return texts;
}

platform::Status StringTable::Load(const std::filesystem::path& directory) {
  std::string unread;
  for (std::size_t language = 0; language < kFileNames.size(); ++language) {
    texts_[language].clear();
    std::ifstream in(directory / kFileNames[language], std::ios::binary);
    std::ostringstream content;
    if (in) content << in.rdbuf();
    if (!in || in.bad()) {
      unread += unread.empty() ? "cannot read " : ", ";
      unread += (directory / kFileNames[language]).string();
      continue;
    }
    texts_[language] = ParseLanguageFile(content.str());
  }
  if (!unread.empty()) return platform::Status::Failure(unread);
  return {};
}

std::wstring StringTable::Get(int id) const {
  if (id == kNoText) return {};
  const int language = Language();
  if (language < kLanguageEnglish || language > kLanguageFrench || id < 0) return {};
  const auto& texts = texts_[static_cast<std::size_t>(language - 1)];
  if (static_cast<std::size_t>(id) >= texts.size()) return {};
  return texts[static_cast<std::size_t>(id)];
}

std::wstring StringTable::LanguageName(int languageIndex) const {
  switch (languageIndex) {
    case kLanguageEnglish: return Get(11);
    case kLanguageRussian: return Get(10);
    case kLanguageSpanish: return Get(98);
    case kLanguageFrench: return Get(100);
    default: return {};
  }
}

std::wstring StringTable::WeekdayName(int dayNumber) const {
  if (dayNumber == 1) return Get(57);
  if (dayNumber >= 2 && dayNumber <= 7) return Get(49 + dayNumber);
  return {};
}

std::wstring StringTable::FormatNumber(int id, int number) const {
  return FormatText(Get(id), {std::to_wstring(number)});
}

int StringTable::ServerLanguageId(int languageIndex) {
  switch (languageIndex) {
    case kLanguageEnglish: return 2;
    case kLanguageRussian: return 1;
    case kLanguageSpanish: return 4;
    case kLanguageFrench: return 5;
    default: return -1;
  }
}

std::size_t StringTable::Count(int languageIndex) const {
  if (languageIndex < kLanguageEnglish || languageIndex > kLanguageFrench) return 0;
  return texts_[static_cast<std::size_t>(languageIndex - 1)].size();
}

StringTable& Strings() {
  static StringTable table;
  return table;
}

}  // namespace kestrova::resources
