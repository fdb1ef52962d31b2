// Labels: when a text scrolls, when it is shortened and how, and the bars
// built from labels.
#include "ui/labels.h"

#include <gtest/gtest.h>

#include <ctime>

#include "platform/text.h"
#include "support/ui_harness.h"
#include "ui/bars.h"
#include "ui/format_date.h"
#include "ui/painter.h"
#include "ui/rows.h"
#include "ui/skin_image_table.h"
#include "ui/ticker.h"
#include "ui_test_support.h"

namespace kestrova::test {
namespace {

using platform::Bitmap;
using platform::Canvas;
using platform::Rect;

class LabelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ui_.Started());
    ui_.View().ClearTickers();
  }
  ui::Painter& Painter() { return ui_.GetPainter(); }
  ui::TickerRegistry& Tickers() { return ui_.View().Tickers(); }
  const platform::Font& Font() { return *Painter().FontTitle(); }

  // The picture DrawLabel makes, and the one of drawing `expected` directly.
  Bitmap Label(std::wstring_view text, const Rect& rect, int ticker, bool scroll) {
    Bitmap b(240, 40);
    Canvas canvas(b);
    ui::DrawLabel(Painter(), canvas, text, rect, ui::kLabelLeft, &Font(), ui::kWhite, ticker, scroll);
    return b;
  }
  Bitmap Plain(std::wstring_view text, Rect rect) {
    Bitmap b(240, 40);
    Canvas canvas(b);
    platform::DrawText(canvas, Font(), ui::kWhite, text, rect, ui::kLabelLeft);
    return b;
  }
  static bool Same(const Bitmap& a, const Bitmap& b) {
    for (int y = 0; y < a.Height(); ++y) {
      for (int x = 0; x < a.Width(); ++x) {
        if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
      }
    }
    return true;
  }
  static bool Blank(const Bitmap& a) {
    for (int y = 0; y < a.Height(); ++y) {
      for (int x = 0; x < a.Width(); ++x) {
        if (a.Pixel(x, y) != 0) return false;
      }
    }
    return true;
  }

  UiHarness ui_{kBinDir};
};

TEST_F(LabelTest, ATitleExactlyAsWideAsItsRectangleIsDrawnWholeWithoutTicker) {
  const std::wstring title = L"Kestrova Channels";
  const Rect rect{10, 0, 10 + Font().Width(title), 32};
  EXPECT_TRUE(Same(Label(title, rect, ui::kTickerHeaderTitle, true), Plain(title, rect)));
  EXPECT_EQ(Tickers().Find(ui::kTickerHeaderTitle), nullptr);

  // One pixel narrower: it scrolls instead and nothing is drawn here.
  const Rect narrower{10, 0, 9 + Font().Width(title), 32};
  EXPECT_TRUE(Blank(Label(title, narrower, ui::kTickerHeaderTitle, true)));
  const ui::Ticker* ticker = Tickers().Find(ui::kTickerHeaderTitle);
  ASSERT_NE(ticker, nullptr);
  EXPECT_FALSE(ticker->disabled);
  EXPECT_EQ(ticker->rotating, title + L" *** ");
  EXPECT_EQ(ticker->rect, narrower);
}

TEST_F(LabelTest, ATextTwiceAsWideIsFirstCutToHalfThenShortenedWithDots) {
  // Half of it fits: the cut alone is enough, no dots.
  const std::wstring thinFirst = L"iiiiiiiiiiMMMMMMMMMM";
  const int total = Font().Width(thinFirst);
  const Rect half{0, 0, total / 2, 32};
  ASSERT_EQ(total / half.Width(), 2);
  EXPECT_TRUE(Same(Label(thinFirst, half, 0, false), Plain(L"iiiiiiiiii", half)));

  // Half of it is still too wide: one character at a time with "...".
  const std::wstring wide(20, L'M');
  const Rect narrow{0, 0, Font().Width(std::wstring(10, L'M')) - 1, 32};
  ASSERT_LE(Font().Width(std::wstring(9, L'M') + L"..."), narrow.Width());
  EXPECT_TRUE(Same(Label(wide, narrow, 0, false), Plain(std::wstring(9, L'M') + L"...", narrow)));

  // Not scrolling disables the ticker of the id.
  Tickers().Set(7, narrow, wide, ui::kLabelLeft, &Font(), ui::kWhite, false);
  Label(wide, narrow, 7, false);
  EXPECT_TRUE(Tickers().Find(7)->disabled);
}

TEST_F(LabelTest, AShortTextStopsTheTickerALongerTextOfTheSameIdLeftBehind) {
  const Rect rect{0, 0, 60, 32};
  Label(L"A very long focused row text", rect, 13, true);
  ASSERT_FALSE(Tickers().Find(13)->disabled);
  // The page moved and the focused row at the same place is short now.
  EXPECT_TRUE(Same(Label(L"Short", rect, 13, true), Plain(L"Short", rect)));
  EXPECT_TRUE(Tickers().Find(13)->disabled);
}

TEST_F(LabelTest, WordWrappedBlocksAreCentredOrScrollVerticallyWhenTooTall) {
  Bitmap b(240, 100);
  Canvas canvas(b);
  const Rect rect{14, 0, 226, 96};
  ui::DrawLabelBlock(Painter(), canvas, L"Two short\nlines", rect, ui::kLabelBlock, Painter().FontText(), ui::kWhite,
                     8, true);
  EXPECT_EQ(Tickers().Find(8), nullptr);
  int firstInk = -1;
  for (int y = 0; y < 100 && firstInk < 0; ++y) {
    for (int x = 0; x < 240; ++x) {
      if (b.Pixel(x, y) != 0) {
        firstInk = y;
        break;
      }
    }
  }
  EXPECT_GE(firstInk, (96 - 30) / 2);  // two 15-pixel lines in the middle of 96
  EXPECT_LE(firstInk, (96 - 30) / 2 + 5);

  std::wstring tall;
  for (int i = 0; i < 20; ++i) tall += L"word ";
  ui::DrawLabelBlock(Painter(), canvas, tall, {14, 0, 226, 32}, ui::kLabelBlock, Painter().FontText(), ui::kWhite, 8,
                     true);
  const ui::Ticker* ticker = Tickers().Find(8);
  ASSERT_NE(ticker, nullptr);
  EXPECT_TRUE(ticker->vertical);
  EXPECT_EQ(ticker->rotating, tall + L"\n***\n");
}

TEST_F(LabelTest, ASoftKeyLabelWithAnEmptyTextLeavesItsPlaceBlank) {
  Bitmap bar(240, 320);
  Canvas canvas(bar);
  ui::DrawSoftKeyBar(Painter(), canvas, 105, resources::StringTable::kNoText, 2);
  const auto& image = Painter().Image(ui::kImageBottomLine);
  const int y0 = 320 - image.height;
  auto inkIn = [&](int left, int right) {
    int ink = 0;
    for (int y = y0; y < 320; ++y) {
      for (int x = left; x < right; ++x) ink += bar.Pixel(x, y) != image.cache.Pixel(x, y - y0) ? 1 : 0;
    }
    return ink;
  };
  EXPECT_EQ(inkIn(14, 80), 0);   // left label: empty
  EXPECT_GT(inkIn(90, 150), 0);  // "Select" in the middle
  EXPECT_GT(inkIn(180, 226), 0);  // "Back" on the right
  for (const int id : {ui::kTickerLeftSoftKey, ui::kTickerRightSoftKey, ui::kTickerMiddleSoftKey}) {
    const ui::Ticker* t = Tickers().Find(id);
    EXPECT_TRUE(t == nullptr || t->disabled) << id;
  }
}

TEST(FormatDate, FormatsLocalTimeAndGivesEmptyTextWhenItCannot) {
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  EXPECT_EQ(ui::FormatDate(86400 * 365, L"%d/%m/%Y"), L"01/01/1971");
  EXPECT_EQ(ui::FormatDate(0, std::wstring(200, L'x')), L"");  // longer than 128 characters
  EXPECT_EQ(ui::FormatDate(0, L""), L"");
}

}  // namespace
}  // namespace kestrova::test
