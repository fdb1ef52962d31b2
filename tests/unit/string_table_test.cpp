#include "resources/string_table.h"

#include <gtest/gtest.h>

#include "resources/answer_text.h"
#include "resources/format_text.h"
#include "resources/system_language.h"
#include "support/scoped_environment.h"
#include "support/temp_dir.h"

namespace kestrova::resources {
namespace {

using test::TempDir;

std::string NumberedLines(const std::string& prefix, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += prefix + std::to_string(i) + "\n";
  return text;
}

TEST(StringTable, BraceGroupsBecomePlaceholdersWhateverTheirLength) {
  const auto texts = StringTable::ParseLanguageFile(
      "{a}{longer name}\n"
      "{x} {y}\n"
      "Balance: {balance} roubles\n"
      "open { never closed\n"
      "{\n"
      "no braces } here\n");
  ASSERT_EQ(texts.size(), 6U);
  EXPECT_EQ(texts[0], L"%s%s");
  EXPECT_EQ(texts[1], L"%s %s");
  EXPECT_EQ(texts[2], L"Balance: %s roubles");
  EXPECT_EQ(texts[3], L"open %s");
  EXPECT_EQ(texts[4], L"%s");
  EXPECT_EQ(texts[5], L"no braces } here");
}

TEST(StringTable, LinesKeepTheirIdsWhateverTheirLengthAndEnding) {
  const std::string longLine(3000, 'x');
  const auto texts = StringTable::ParseLanguageFile("first\r\n\n" + longLine + "\nafter long\nlast without feed");
  ASSERT_EQ(texts.size(), 5U);
  EXPECT_EQ(texts[0], L"first");          // the carriage return is not part of the text
  EXPECT_EQ(texts[1], L"");               // an empty line still occupies its id
  EXPECT_EQ(texts[2].size(), 3000U);      // read whole: later ids do not shift
  EXPECT_EQ(texts[3], L"after long");
  EXPECT_EQ(texts[4], L"last without feed");  // no visible character is lost
  EXPECT_TRUE(StringTable::ParseLanguageFile("").empty());
}

TEST(StringTable, TextsKeepEveryLetterOfAllFourLanguages) {
  const auto texts = StringTable::ParseLanguageFile(
      "Espa\xC3\xB1ol: \xC3\xA9t\xC3\xA9, fran\xC3\xA7" "ais\n"
      "\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9\n"
      "bad \xC3\x28 utf8\n");
  ASSERT_EQ(texts.size(), 3U);
  EXPECT_EQ(texts[0], L"Espa\u00f1ol: \u00e9t\u00e9, fran\u00e7ais");
  EXPECT_EQ(texts[1], L"\u0420\u0443\u0441\u0441\u043a\u0438\u0439");
  EXPECT_EQ(texts[2], L"");  // invalid UTF-8 gives an empty text
}

TEST(StringTable, AnswerTextDecodesUtf8StraightToWideText) {
  EXPECT_EQ(resources::AnswerText(static_cast<const char*>(nullptr)), L"");
  EXPECT_EQ(resources::AnswerText("ni\xC3\xB1o \xE2\x82\xAC \xF0\x9F\x93\xBA"), L"ni\u00f1o \u20ac \U0001F4FA");
  EXPECT_EQ(resources::AnswerText("overlong \xC0\xAF"), L"");
  EXPECT_EQ(resources::AnswerText("surrogate \xED\xA0\x80"), L"");
  EXPECT_EQ(resources::AnswerText("cut \xE2\x82"), L"");
  EXPECT_EQ(resources::AnswerText(std::string_view("stops\0here", 10)), L"stops");
}

class LoadedTable : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("strings_en.txt", NumberedLines("en", 12000));
    dir_.Write("strings_ru.txt", NumberedLines("ru", 120));
    dir_.Write("strings_es.txt", NumberedLines("es", 50));
    // no French file: the load says so, and the others are read
    ASSERT_EQ(table_.Load(dir_.Path()).Reason(), "cannot read " + (dir_.Path() / "strings_fr.txt").string());
  }

  TempDir dir_;
  StringTable table_;
};

TEST_F(LoadedTable, LookupsAnswerOnlyFromTheCurrentLanguage) {
  EXPECT_EQ(table_.Language(), kLanguageEnglish);
  EXPECT_EQ(table_.Get(5), L"en5");
  table_.SetLanguage(kLanguageSpanish);
  EXPECT_EQ(table_.Get(49), L"es49");
  EXPECT_EQ(table_.Get(50), L"");  // beyond the Spanish file: no English fallback
  table_.SetLanguage(kLanguageFrench);
  EXPECT_EQ(table_.Get(0), L"");  // a missing file leaves its language empty
  table_.SetLanguage(kLanguageRussian);
  EXPECT_EQ(table_.Get(-1), L"");
  EXPECT_EQ(table_.Get(119), L"ru119");
  for (const int language : {0, 5, -1}) {
    table_.SetLanguage(language);
    EXPECT_EQ(table_.Get(0), L"") << language;
  }
}

TEST_F(LoadedTable, IdTenThousandIsAlwaysEmpty) {
  table_.SetLanguage(kLanguageEnglish);
  ASSERT_GT(table_.Count(kLanguageEnglish), 10000U);
  EXPECT_EQ(table_.Get(9999), L"en9999");
  EXPECT_EQ(table_.Get(StringTable::kNoText), L"");
  EXPECT_EQ(table_.Get(10001), L"en10001");
}

TEST_F(LoadedTable, DerivedLookupsUseTheirFixedIds) {
  table_.SetLanguage(kLanguageRussian);
  EXPECT_EQ(table_.WeekdayName(1), L"ru57");  // Sunday
  EXPECT_EQ(table_.WeekdayName(2), L"ru51");  // Monday
  EXPECT_EQ(table_.WeekdayName(7), L"ru56");  // Saturday
  EXPECT_EQ(table_.WeekdayName(0), L"");
  EXPECT_EQ(table_.WeekdayName(8), L"");
  EXPECT_EQ(table_.LanguageName(kLanguageEnglish), L"ru11");
  EXPECT_EQ(table_.LanguageName(kLanguageRussian), L"ru10");
  EXPECT_EQ(table_.LanguageName(kLanguageSpanish), L"ru98");
  EXPECT_EQ(table_.LanguageName(kLanguageFrench), L"ru100");
  EXPECT_EQ(table_.LanguageName(-1), L"");
}

TEST(StringTable, ServerLanguageIds) {
  EXPECT_EQ(StringTable::ServerLanguageId(1), 2);
  EXPECT_EQ(StringTable::ServerLanguageId(2), 1);
  EXPECT_EQ(StringTable::ServerLanguageId(3), 4);
  EXPECT_EQ(StringTable::ServerLanguageId(4), 5);
  EXPECT_EQ(StringTable::ServerLanguageId(-1), -1);
  EXPECT_EQ(StringTable::ServerLanguageId(0), -1);
}

// A first start speaks the session's language: the first locale variable
// set wins (LANGUAGE by its first preference), its language part decides.
TEST(StringTable, TheSystemLanguageComesFromTheFirstLocaleVariableSet) {
  EXPECT_EQ(LanguageOfLocale("ru_RU.UTF-8"), kLanguageRussian);
  EXPECT_EQ(LanguageOfLocale("es"), kLanguageSpanish);
  EXPECT_EQ(LanguageOfLocale("fr_CA@euro"), kLanguageFrench);
  for (const char* other : {"de_DE.UTF-8", "C", "POSIX", "", "french", "rus"}) {
    EXPECT_EQ(LanguageOfLocale(other), kLanguageEnglish) << other;
  }
  const test::ScopedEnvironment language("LANGUAGE", "");  // empty: passed over
  const test::ScopedEnvironment all("LC_ALL", nullptr);
  const test::ScopedEnvironment messages("LC_MESSAGES", "fr_FR.UTF-8");
  const test::ScopedEnvironment lang("LANG", "ru_RU.UTF-8");
  EXPECT_EQ(SystemLanguage(), kLanguageFrench);
  const test::ScopedEnvironment preferences("LANGUAGE", "es_ES:fr:en");
  EXPECT_EQ(SystemLanguage(), kLanguageSpanish);
}

TEST(StringTable, FormatNumberFillsThePlaceholderAndNothingElse) {
  TempDir dir;
  dir.Write("strings_en.txt", "Page {n} of many\n100% sure: {n} %d %n %%\nno placeholder\n");
  StringTable table;
  static_cast<void>(table.Load(dir.Path()));  // only English here
  EXPECT_EQ(table.FormatNumber(0, -42), L"Page -42 of many");
  // Texts are never handed to a printf-style formatter.
  EXPECT_EQ(table.FormatNumber(1, 7), L"100% sure: 7 %d %n %");
  EXPECT_EQ(table.FormatNumber(2, 7), L"no placeholder");
  EXPECT_EQ(FormatText(L"%s and %s", {L"one"}), L"one and ");
}

}  // namespace
}  // namespace kestrova::resources
