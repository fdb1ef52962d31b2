// The Screen base class through the real view: selection and paging, the
// scroll bar, row hit tests and pop-ups.
#include "ui/screen.h"

#include <gtest/gtest.h>

#include "support/sample_screens.h"
#include "support/ui_harness.h"
#include "ui/rows.h"
#include "ui_test_support.h"

namespace kestrova::test {
namespace {

using platform::VK_DOWN;
using platform::VK_F1;
using platform::VK_F2;
using platform::VK_RETURN;
using platform::VK_UP;

constexpr int kListId = 9;

class ScreenTest : public ::testing::Test {
 protected:
  SampleListScreen& ShowList(int count) {
    auto& list = ui_.Install<SampleListScreen>(kListId, NumberedItems(count));
    ui_.Show(kListId);
    return list;
  }
  static int RowY(int row) { return ui::RowTop(row) + 16; }

  UiHarness ui_{kBinDir};
};

TEST_F(ScreenTest, AListOfExactlyEightItemsHasAnInertScrollBar) {
  auto& list = ShowList(8);
  ASSERT_NE(list.Bar(), nullptr);
  EXPECT_EQ(list.Bar()->Range(), 0);
  // Not drawn: the right edge shows the row, not the track colour.
  EXPECT_FALSE(SameColour(ui_.Pixel(234, RowY(3)), ui::ScrollBar::kTrackFill));
  // Not hit: a tap where the bar would be selects the row under it.
  ui_.Tap(234, RowY(5));
  EXPECT_EQ(list.Selection(), 5);
  EXPECT_EQ(list.activations, std::vector<int>{5});

  auto& longer = ShowList(9);
  EXPECT_EQ(longer.Bar()->Range(), 1);
  EXPECT_TRUE(SameColour(ui_.Pixel(234, 150), ui::ScrollBar::kTrackFill));
}

TEST_F(ScreenTest, DownOnTheLastRowIsNotHandledUpOnTheFirstIs) {
  auto& list = ShowList(3);
  EXPECT_TRUE(ui_.Screens().KeyDown(ui::kKeyUp));  // first row: handled all the same
  EXPECT_EQ(list.Selection(), 0);
  ui_.Press(VK_DOWN);
  ui_.Press(VK_DOWN);
  ASSERT_EQ(list.Selection(), 2);
  const int draws = list.draws;
  const int paints = ui_.PaintCount();
  ui_.Press(VK_DOWN);
  EXPECT_EQ(list.Selection(), 2);
  EXPECT_EQ(list.draws, draws);  // no redraw
  EXPECT_EQ(ui_.PaintCount(), paints);
  EXPECT_FALSE(ui_.Screens().KeyDown(ui::kKeyDown));
}

TEST_F(ScreenTest, MovingPastThePageShiftsTheRowsAndTheThumb) {
  auto& list = ShowList(20);
  for (int i = 0; i < 8; ++i) ui_.Press(VK_DOWN);
  EXPECT_EQ(list.Selection(), 8);
  EXPECT_EQ(list.FirstVisibleRow(), 1);
  EXPECT_FALSE(list.Rows()[0].visible);
  EXPECT_TRUE(list.Rows()[8].visible);
  EXPECT_EQ(list.Rows()[8].top, ui::RowTop(7));
  ui::ScrollBar expected(12);
  expected.SetFirstRow(1);
  EXPECT_DOUBLE_EQ(list.Bar()->ThumbTop(), expected.ThumbTop());
  for (int i = 0; i < 8; ++i) ui_.Press(VK_UP);
  EXPECT_EQ(list.FirstVisibleRow(), 0);
  EXPECT_EQ(list.Rows()[0].top, ui::RowTop(0));
}

TEST_F(ScreenTest, DraggingTheThumbPagesTheListAndStopsAtTheEnds) {
  auto& list = ShowList(20);
  const ui::ScrollBar& bar = *list.Bar();
  const int grab = static_cast<int>(bar.ThumbTop()) + bar.ThumbHeight() / 2;
  ui_.PointerDown(234, grab);
  ui_.PointerMove(234, 280);
  ui_.PointerMove(234, 1000);
  ui_.PointerUp(234, 1000);
  EXPECT_EQ(list.FirstVisibleRow(), 12);
  EXPECT_EQ(list.Rows()[12].top, ui::RowTop(0));
  EXPECT_TRUE(list.Rows()[19].visible);
  EXPECT_EQ(list.Selection(), 0);  // paging does not move the selection
  EXPECT_TRUE(list.activations.empty());
  ui_.PointerDown(234, static_cast<int>(bar.ThumbTop()) + bar.ThumbHeight() / 2);
  ui_.PointerMove(234, -200);
  ui_.PointerUp(234, -200);
  EXPECT_EQ(list.FirstVisibleRow(), 0);
  // A key brings the selection's page back.
  ui_.PointerDown(234, 286);  // down arrow
  ui_.PointerUp(234, 286);
  EXPECT_EQ(list.FirstVisibleRow(), 1);
  ui_.Press(VK_UP);
  EXPECT_EQ(list.FirstVisibleRow(), 0);
}

TEST_F(ScreenTest, ATapOutsideEveryRowChangesNothing) {
  auto& list = ShowList(3);
  ui_.Press(VK_DOWN);
  ui_.Tap(100, RowY(5));  // below the last row
  EXPECT_EQ(list.Selection(), 1);
  EXPECT_EQ(list.HitRow(), -1);
  EXPECT_TRUE(list.activations.empty());
  EXPECT_FALSE(ui_.Screens().Pointer(100, RowY(5), ui::kPointerDown));
}

TEST_F(ScreenTest, PointerDownSelectsMoveFollowsUpActivates) {
  auto& list = ShowList(5);
  EXPECT_TRUE(ui_.Screens().Pointer(50, RowY(1), ui::kPointerDown));
  EXPECT_EQ(list.Selection(), 1);
  EXPECT_TRUE(ui_.Screens().Pointer(50, RowY(3), ui::kPointerMove));
  EXPECT_EQ(list.Selection(), 3);
  EXPECT_TRUE(ui_.Screens().Pointer(50, RowY(3), ui::kPointerUp));
  EXPECT_EQ(list.activations, std::vector<int>{3});
  // Row edges count: y = 64 is the bottom of row 0 and the top of row 1.
  ui_.Screens().Pointer(50, 64, ui::kPointerDown);
  EXPECT_EQ(list.HitRow(), 0);
}

TEST_F(ScreenTest, APopupWithoutButtonsIsClosedByTheFirstKeyOrTapAlone) {
  auto& list = ShowList(5);
  list.ShowPopup(false, L"Title", L"Text", ui::kNoKey, ui::kNoKey);
  EXPECT_TRUE(ui_.View().PopupShown());
  ui_.Press(VK_DOWN);
  EXPECT_FALSE(list.PopupShown());
  EXPECT_FALSE(ui_.View().PopupShown());
  EXPECT_EQ(list.Selection(), 0);  // the key only closed the pop-up

  list.ShowPopup(false, L"Title", L"Text", ui::kNoKey, ui::kNoKey);
  ui_.Tap(50, RowY(2));
  EXPECT_FALSE(list.PopupShown());
  EXPECT_EQ(list.Selection(), 0);
  EXPECT_TRUE(list.activations.empty());

  list.ShowPopup(false, L"Title", L"Text", ui::kNoKey, ui::kNoKey);
  ui_.Press(VK_F2);
  EXPECT_FALSE(list.PopupShown());
  EXPECT_TRUE(list.softKeys.empty());
}

TEST_F(ScreenTest, APopupWithButtonsTakesOnlyTheKeysItHas) {
  auto& list = ShowList(5);
  list.ShowPopup(true, L"Title", L"Text", ui::kNoKey, 22);
  ui_.Press(VK_F1);  // no left key: nothing
  EXPECT_TRUE(list.PopupShown());
  EXPECT_TRUE(list.popupKeys.empty());
  EXPECT_TRUE(list.softKeys.empty());
  ui_.Press(VK_DOWN);  // swallowed
  ui_.Press(VK_RETURN);
  ui_.Tap(50, RowY(3));
  EXPECT_TRUE(list.PopupShown());
  EXPECT_EQ(list.Selection(), 0);
  EXPECT_TRUE(list.activations.empty());
  ui_.Press(VK_F2);
  EXPECT_EQ(list.popupKeys, std::vector<int>{ui::kKeyRightSoft});
  EXPECT_FALSE(list.PopupShown());
  EXPECT_EQ(list.LeftPopupKey(), ui::kNoKey);
  EXPECT_TRUE(list.PopupTitle().empty());
}

}  // namespace
}  // namespace kestrova::test
