// The ticker registry and the two kinds of rotation.
#include "ui/ticker.h"

#include <gtest/gtest.h>

#include "platform/font.h"
#include "platform/text.h"
#include "ui_test_support.h"

namespace kestrova::ui {
namespace {

using platform::Rect;

TEST(Tickers, AHorizontalTickerMovesOneCharacterPerStepAndComesBackToItsStart) {
  TickerRegistry registry;
  registry.Set(1, {0, 0, 50, 32}, L"Hello", 0x24, nullptr, {}, false);
  Ticker& ticker = registry.Entries().front();
  const std::wstring start = ticker.rotating;
  EXPECT_EQ(start, L"Hello *** ");
  TickerRegistry::StepHorizontal(ticker);
  EXPECT_EQ(ticker.rotating, L"ello *** H");
  for (std::size_t i = 1; i < start.size(); ++i) TickerRegistry::StepHorizontal(ticker);
  EXPECT_EQ(ticker.rotating, start);
}

TEST(Tickers, SettingTheSameTextKeepsTheRotationAndANewTextStartsOver) {
  TickerRegistry registry;
  registry.Set(6, {0, 0, 50, 32}, L"Row", 0x24, nullptr, {}, false);
  TickerRegistry::StepHorizontal(registry.Entries().front());
  registry.Set(6, {0, 32, 50, 64}, L"Row", 0x24, nullptr, {}, false);
  ASSERT_EQ(registry.Count(), 1U);
  EXPECT_EQ(registry.Find(6)->rotating, L"ow *** R");
  EXPECT_EQ(registry.Find(6)->rect, (Rect{0, 32, 50, 64}));
  registry.Set(6, {0, 32, 50, 64}, L"Other", 0x24, nullptr, {}, false);
  EXPECT_EQ(registry.Find(6)->rotating, L"Other *** ");

  // Disabling puts the text back to its start; enabling again keeps it there.
  TickerRegistry::StepHorizontal(registry.Entries().front());
  registry.Disable(6);
  EXPECT_TRUE(registry.Find(6)->disabled);
  EXPECT_EQ(registry.Find(6)->rotating, L"Other *** ");
  registry.Set(6, {0, 32, 50, 64}, L"Other", 0x24, nullptr, {}, false);
  EXPECT_FALSE(registry.Find(6)->disabled);

  registry.Disable(99);  // unknown: nothing happens
  EXPECT_EQ(registry.Count(), 1U);
  registry.Clear();
  EXPECT_TRUE(registry.Empty());
}

TEST(Tickers, AVerticalTickerMovesItsFirstLineToTheEndAndKeepsItsLineGapWhenDisabled) {
  const auto file = platform::MatchFontFile("Arial:bold");
  ASSERT_TRUE(file);
  const auto font = platform::Font::Open(*file, 15);
  ASSERT_NE(font, nullptr);
  const int width = font->Width(L"one two") + 4;  // "one two" fits, "one two three" does not
  TickerRegistry registry;
  registry.Set(7, {0, 0, width, 30}, L"one two three four", 0x15, font.get(), {}, true);
  Ticker& ticker = registry.Entries().front();
  EXPECT_EQ(ticker.rotating, L"one two three four\n***\n");
  TickerRegistry::StepVertical(ticker);
  EXPECT_EQ(ticker.rotating, L"three four\n***\none two ");
  TickerRegistry::StepVertical(ticker);  // "three four" is wider than "one two"
  EXPECT_EQ(ticker.rotating, L"four\n***\none two three ");
  TickerRegistry::StepVertical(ticker);  // a line feed ends the line
  EXPECT_EQ(ticker.rotating, L"***\none two three four\n");

  // A first word wider than the line moves on its own.
  registry.Set(8, {0, 0, 10, 30}, L"incomprehensible word", 0x15, font.get(), {}, true);
  TickerRegistry::StepVertical(registry.Entries().back());
  EXPECT_EQ(registry.Find(8)->rotating, L"word\n***\nincomprehensible ");

  registry.Disable(7);
  EXPECT_EQ(registry.Find(7)->rotating, L"one two three four\n***\n");
}

TEST(Tickers, OnlyEnabledTickersAreDrawnEachInsideItsRectangle) {
  const auto file = platform::MatchFontFile("Arial:bold");
  ASSERT_TRUE(file);
  const auto font = platform::Font::Open(*file, 15);
  TickerRegistry registry;
  registry.Set(1, {10, 0, 40, 20}, L"WWWWWWWWWW", 0x24, font.get(), platform::Rgb(255, 255, 255), false);
  registry.Set(2, {10, 20, 40, 40}, L"WWWWWWWWWW", 0x24, font.get(), platform::Rgb(255, 255, 255), false);
  registry.Disable(2);
  platform::Bitmap b(60, 40);
  platform::Canvas canvas(b);
  registry.Draw(canvas);
  int inside = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 60; ++x) {
      if (b.Pixel(x, y) == 0) continue;
      EXPECT_TRUE(x >= 10 && x < 40 && y < 20) << x << "," << y;
      ++inside;
    }
  }
  EXPECT_GT(inside, 0);
}

}  // namespace
}  // namespace kestrova::ui
