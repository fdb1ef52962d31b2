// The scroll bar's geometry and pointer handling.
#include "ui/scroll_bar.h"

#include <gtest/gtest.h>

#include "ui_test_support.h"

namespace kestrova::ui {
namespace {

TEST(ScrollBar, TheThumbReadsBackAsTheRowItWasPutAt) {
  ScrollBar bar(12);
  bar.SetFirstRow(12);
  EXPECT_DOUBLE_EQ(bar.ThumbTop(), bar.ThumbMax());
  EXPECT_EQ(bar.FirstRow(), 12);
  for (int first = 0; first <= 12; ++first) {
    bar.SetFirstRow(first);
    EXPECT_EQ(bar.FirstRow(), first);  // the thumb reads back as the row it was put at
  }
}

TEST(ScrollBar, DraggingTheThumbPastEitherEndStopsAtItsTravel) {
  ScrollBar bar(20);
  const int grabY = bar.ThumbMin() + 10;
  ASSERT_TRUE(bar.OnPointer(234, grabY, ScrollBar::kPointerDown));
  EXPECT_TRUE(bar.ThumbPressed());
  EXPECT_TRUE(bar.OnPointer(100, 1000, ScrollBar::kPointerMove));  // far below, even outside the bar
  EXPECT_DOUBLE_EQ(bar.ThumbTop(), bar.ThumbMax());
  EXPECT_EQ(bar.FirstRow(), 20);
  EXPECT_TRUE(bar.OnPointer(100, -500, ScrollBar::kPointerMove));
  EXPECT_DOUBLE_EQ(bar.ThumbTop(), bar.ThumbMin());
  EXPECT_EQ(bar.FirstRow(), 0);
  EXPECT_TRUE(bar.OnPointer(0, 0, ScrollBar::kPointerUp));  // the press ends wherever it is
  EXPECT_FALSE(bar.ThumbPressed());
  EXPECT_FALSE(bar.OnPointer(100, 100, ScrollBar::kPointerMove));
}

TEST(ScrollBar, EveryArrowTapMovesOneRowUntilTheEnd) {
  ScrollBar bar(12);
  for (int expected = 1; expected <= 14; ++expected) {
    ASSERT_TRUE(bar.OnPointer(234, 287, ScrollBar::kPointerDown));
    EXPECT_TRUE(bar.DownPressed());
    EXPECT_TRUE(bar.OnPointer(234, 287, ScrollBar::kPointerUp));
    EXPECT_EQ(bar.FirstRow(), std::min(expected, 12));
  }
  ASSERT_TRUE(bar.OnPointer(230, 33, ScrollBar::kPointerDown));
  EXPECT_TRUE(bar.UpPressed());
  EXPECT_EQ(bar.FirstRow(), 11);
}

TEST(ScrollBar, ToleranceAroundTheBarAndTapsOutsideIt) {
  ScrollBar bar(4);
  EXPECT_TRUE(bar.OnPointer(240 - 12 - 5, 40, ScrollBar::kPointerDown));  // 5 pixels left of the bar: up arrow
  bar.OnPointer(0, 0, ScrollBar::kPointerUp);
  EXPECT_FALSE(bar.OnPointer(240 - 12 - 6, 40, ScrollBar::kPointerDown));
  EXPECT_FALSE(bar.OnPointer(100, 100, ScrollBar::kPointerUp));  // no press, outside
  EXPECT_TRUE(bar.OnPointer(235, 150, ScrollBar::kPointerUp));   // no press, inside
  // The track below the thumb is neither arrow nor thumb.
  EXPECT_FALSE(bar.OnPointer(234, bar.ThumbMax() - 20, ScrollBar::kPointerDown));
}

TEST(ScrollBar, ARangeOfZeroOrLessIsInertAndInvisible) {
  for (const int range : {0, -3}) {
    ScrollBar bar(range);
    EXPECT_FALSE(bar.Active());
    EXPECT_FALSE(bar.OnPointer(234, 40, ScrollBar::kPointerDown));
    EXPECT_FALSE(bar.OnPointer(234, 40, ScrollBar::kPointerUp));
    bar.SetFirstRow(3);
    EXPECT_EQ(bar.FirstRow(), 0);
    platform::Bitmap b(240, 320);
    platform::Canvas canvas(b);
    bar.Draw(canvas);
    EXPECT_EQ(b.Pixel(234, 100), 0);
  }
}

}  // namespace
}  // namespace kestrova::ui
