// The four shipped language files must agree: same ids, a text for every id
// the program uses, the same placeholders in every language.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <set>
#include <sstream>

#include "platform/utf8.h"
#include "resources/string_table.h"
#include "support/temp_dir.h"

namespace kestrova::resources {
namespace {

const std::filesystem::path kDataDir = KESTROVA_SOURCE_DATA_DIR;
constexpr std::array<const char*, 4> kFiles = {"strings_en.txt", "strings_ru.txt", "strings_es.txt",
                                               "strings_fr.txt"};

// The ids listed in string_ids.tsv: every id a screen, pop-up or result uses.
std::set<int> UsedIds() {
  std::ifstream in(kDataDir / "string_ids.tsv");
  std::set<int> ids;
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    ids.insert(std::stoi(line.substr(0, line.find('\t'))));
  }
  return ids;
}

std::vector<std::string> RawLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

int PlaceholderCount(const std::wstring& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), L'%'));
}

TEST(LanguageFiles, AreWellFormedUtf8WithALineFeedAfterEveryLine) {
  for (const char* name : kFiles) {
    const std::string text = test::ReadFile(kDataDir / name);
    ASSERT_FALSE(text.empty()) << name;
    EXPECT_FALSE(text.starts_with("\xEF\xBB\xBF")) << name << " starts with a byte-order mark";
    EXPECT_EQ(text.back(), '\n') << name;
    EXPECT_EQ(text.find('\r'), std::string::npos) << name;
    EXPECT_TRUE(platform::DecodeUtf8(text).has_value()) << name << " is not UTF-8";
    for (const auto& line : RawLines(text)) EXPECT_LE(line.size(), 1022U) << name;
  }
}

TEST(LanguageFiles, HaveTheSameIdsAndPlaceholdersAndATextForEveryUsedId) {
  std::array<std::vector<std::wstring>, 4> texts;
  for (std::size_t i = 0; i < kFiles.size(); ++i) {
    texts[i] = StringTable::ParseLanguageFile(test::ReadFile(kDataDir / kFiles[i]));
  }
  for (std::size_t i = 1; i < texts.size(); ++i) {
    ASSERT_EQ(texts[i].size(), texts[0].size()) << kFiles[i] << " has another number of lines";
  }
  const auto used = UsedIds();
  // The ids the program's own code asks for.
  for (const int fixed : {10, 11, 98, 100, 51, 52, 53, 54, 55, 56, 57, 24}) {
    EXPECT_TRUE(used.contains(fixed)) << "id " << fixed << " missing from string_ids.tsv";
  }
  for (std::size_t id = 0; id < texts[0].size(); ++id) {
    const bool isUsed = used.contains(static_cast<int>(id));
    for (std::size_t language = 0; language < texts.size(); ++language) {
      const auto& text = texts[language][id];
      if (isUsed) {
        EXPECT_FALSE(text.empty()) << kFiles[language] << " id " << id << " is empty";
      } else {
        EXPECT_TRUE(text.empty()) << kFiles[language] << " id " << id << " is not listed as used";
      }
      EXPECT_EQ(PlaceholderCount(text), PlaceholderCount(texts[0][id]))
          << kFiles[language] << " id " << id << " has other placeholders than English";
    }
  }
  ASSERT_FALSE(used.empty());
  EXPECT_LT(*used.rbegin(), static_cast<int>(texts[0].size()));
}

}  // namespace
}  // namespace kestrova::resources
