// The screen manager: the screen-change rule, painting (backgrounds, the
// keyboard icon, pop-ups, the overlay), network results and activation.
#include "ui/screen_manager.h"

#include <gtest/gtest.h>

#include "support/sample_screens.h"
#include "support/ui_harness.h"
#include "ui/painter.h"
#include "ui/rows.h"
#include "ui/skin_image_table.h"
#include "ui/ticker.h"
#include "ui_test_support.h"

namespace kestrova::test {
namespace {

// A screen that draws nothing of its own, with the traits it is given.
class BlankScreen : public ui::Screen {
 public:
  explicit BlankScreen(int id, bool form = false, platform::Colour background = ui::kScreenBackground)
      : ui::Screen(id), form_(form), background_(background) {}
  void Draw(ui::Painter&, platform::Canvas&) override {}
  void OnCurrentChanged(bool active) override { changes.push_back(active); }
  bool IsForm() const override { return form_; }
  platform::Colour Background() const override { return background_; }
  std::vector<bool> changes;

 private:
  bool form_;
  platform::Colour background_;
};

class ScreenManagerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(ui_.Started()); }
  UiHarness ui_{kBinDir};
};

TEST_F(ScreenManagerTest, ChangingTheScreenClearsTickersHidesTheEditBoxAndTellsBothScreens) {
  std::vector<SampleItem> items = {{L"A focused row text far too long to fit in one row", -1, -1, L""}};
  auto& first = ui_.Install<SampleListScreen>(9, items);
  auto& second = ui_.Install<SampleListScreen>(10, NumberedItems(3));
  ui_.Show(9);
  EXPECT_EQ(first.currentChanges, std::vector<bool>{true});
  ASSERT_FALSE(ui_.View().Tickers().Empty());
  ui_.View().Edit().ShowFocused();

  ui_.Show(10);
  EXPECT_TRUE(ui_.View().Tickers().Empty());
  EXPECT_FALSE(ui_.View().Edit().Visible());
  EXPECT_FALSE(ui_.View().Edit().Focused());
  EXPECT_EQ(first.currentChanges, (std::vector<bool>{true, false}));
  EXPECT_EQ(second.currentChanges, std::vector<bool>{true});
  EXPECT_EQ(ui_.Screens().CurrentId(), 10);
  EXPECT_GT(second.draws, 0);

  const int draws = second.draws;
  ui_.Show(10);  // the same screen: nothing happens
  EXPECT_EQ(second.currentChanges.size(), 1U);
  EXPECT_EQ(second.draws, draws);
  ui_.Show(10, true);  // forced: both calls and a redraw
  EXPECT_EQ(second.currentChanges, (std::vector<bool>{true, false, true}));
  EXPECT_EQ(second.draws, draws + 1);

  ui_.Show(ui::kScreenCount);  // no screen there: nothing changes
  EXPECT_EQ(ui_.Screens().CurrentId(), 10);
}

TEST_F(ScreenManagerTest, NavigationEndsThePopupOfTheScreenLeft) {
  auto& first = ui_.Install<SampleListScreen>(9, NumberedItems(3));
  ui_.Install<SampleListScreen>(10, NumberedItems(3));
  ui_.Show(9);
  first.ShowPopup(true, L"Title", L"Text", 21, 22);
  EXPECT_TRUE(ui_.View().PopupShown());
  ui_.Show(10);
  EXPECT_FALSE(ui_.View().PopupShown());  // tickers run again
  ui_.Show(9);
  EXPECT_FALSE(first.PopupShown());
}

TEST_F(ScreenManagerTest, EachScreenGetsItsOwnBackgroundAndAFormTheKeyboardIcon) {
  const platform::Colour black = platform::Rgb(0, 0, 0);
  const platform::Colour dark = platform::Rgb(81, 81, 82);
  struct Case {
    int id;
    bool form;
    platform::Colour background;
  } cases[] = {{9, false, ui::kScreenBackground}, {10, true, ui::kScreenBackground}, {11, false, dark},
               {12, true, black}};
  for (const auto& c : cases) ui_.Install<BlankScreen>(c.id, c.form, c.background);
  const auto& icon = ui_.GetPainter().Image(ui::kImageKeyboard);
  const int iconX = ui::kKeyboardIconX + icon.width / 2;
  const int iconY = ui::kKeyboardIconY + icon.height / 2;
  const platform::Colour iconPixel = platform::FromRgb565(icon.cache.Pixel(icon.width / 2, icon.height / 2));
  ASSERT_FALSE(SameColour(iconPixel, ui::kScreenBackground));
  for (const auto& c : cases) {
    ui_.Show(c.id);
    EXPECT_TRUE(SameColour(ui_.Pixel(100, 150), c.background)) << c.id;
    EXPECT_EQ(SameColour(ui_.Pixel(iconX, iconY), iconPixel), c.form) << c.id;
    EXPECT_EQ(ui_.Screens().CurrentIsForm(), c.form) << c.id;
  }
}

TEST_F(ScreenManagerTest, TheHeaderImageAndTheSelectorAreWhereTheyBelong) {
  auto& list = ui_.Install<SampleListScreen>(9, NumberedItems(5));
  ui_.Show(9);
  ui_.Press(platform::VK_DOWN);
  ui_.Press(platform::VK_DOWN);
  ASSERT_EQ(list.Selection(), 2);
  const auto& header = ui_.GetPainter().Image(ui::kImageTopLine);
  const auto& selector = ui_.GetPainter().Image(ui::kImageSelector);
  EXPECT_EQ(ui_.Picture().Pixel(120, 2), header.cache.Pixel(120, 2));
  EXPECT_EQ(ui_.Picture().Pixel(120, 30), header.cache.Pixel(120, 30));
  const int top = ui::RowTop(2);
  EXPECT_EQ(ui_.Picture().Pixel(3, top + 10), selector.cache.Pixel(3, 8));  // selector drawn from top + 2
  EXPECT_NE(ui_.Picture().Pixel(3, ui::RowTop(1) + 10), selector.cache.Pixel(3, 8));
  // The row separator under the focused row.
  EXPECT_TRUE(SameColour(ui_.Pixel(100, top + 31), ui::kSeparatorDark));
  EXPECT_TRUE(SameColour(ui_.Pixel(100, top + 32), ui::kSeparatorLight));
}

TEST_F(ScreenManagerTest, APopupDimsTheScreenUnderIt) {
  auto& list = ui_.Install<SampleListScreen>(9, NumberedItems(8));
  ui_.Show(9);
  const int x = 120;
  const int y = 300;  // the soft-key bar, outside the pop-up
  const platform::Colour before = ui_.Pixel(x, y);
  list.ShowPopup(false, L"Notice", L"Some text", ui::kNoKey, ui::kNoKey);
  ui_.Paint();
  const platform::Colour after = ui_.Pixel(x, y);
  // bg_overlayer.png: RGB(5,5,10) at alpha 158.
  const auto expected = platform::FromRgb565(
      platform::BlendRgb565(platform::ToRgb565(before), platform::Rgb(5, 5, 10), 158));
  EXPECT_TRUE(SameColour(after, expected));
  EXPECT_LT(after.r + after.g + after.b, before.r + before.g + before.b);
  // The middle of the pop-up body is light.
  const platform::Colour body = ui_.Pixel(20, 160);
  EXPECT_GT(body.r, 200);
}

TEST_F(ScreenManagerTest, AFailedResultReachesTheCurrentScreenWhichShowsItsMessage) {
  auto& list = ui_.Install<SampleListScreen>(9, NumberedItems(3));
  ui_.Show(9);
  ui_.DeliverResult(17, MakeResult(false, L"The server says no"));
  EXPECT_EQ(list.results, std::vector<int>{17});
  EXPECT_TRUE(list.PopupShown());
  EXPECT_FALSE(list.PopupHasButtons());
  EXPECT_EQ(list.PopupText(), L"The server says no");
  EXPECT_EQ(list.PopupTitle(), resources::Strings().Get(ui::kPopupErrorTitle));
  ui_.DeliverResult(18, nullptr);  // no result at all
  EXPECT_EQ(list.results, (std::vector<int>{17, 18}));
  // Without a current screen the result is simply freed.
  ui::ScreenManager empty;
  empty.RequestDone(3, MakeResult(true));
}

TEST_F(ScreenManagerTest, APendingActivationIsDeliveredBeforeThePaint) {
  auto& blank = ui_.Install<BlankScreen>(9);
  ui_.Show(9);
  ui_.Screens().SetActivationPending();
  ui_.Paint();
  EXPECT_EQ(blank.changes, (std::vector<bool>{true, true}));
  ui_.Paint();
  EXPECT_EQ(blank.changes.size(), 2U);
}

}  // namespace
}  // namespace kestrova::test
