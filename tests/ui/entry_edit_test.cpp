// The text-entry box on a form screen: placement, typing, Back, the keys it
// passes on, and the texts kept per input row.
#include "ui/entry_edit.h"

#include <gtest/gtest.h>

#include "platform/input_panel.h"
#include "support/sample_screens.h"
#include "support/ui_harness.h"
#include "ui/form_edit_box.h"
#include "ui/rows.h"
#include "ui_test_support.h"

namespace kestrova::test {
namespace {

using platform::VK_BACK_KEY;
using platform::VK_DOWN;
using platform::VK_UP;

class EntryEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ui_.Started());
    form_ = &ui_.Install<SampleFormScreen>();
    ui_.Show(ui::kLoginScreen);
  }
  ui::EntryEdit& Edit() { return ui_.View().Edit(); }

  UiHarness ui_{kBinDir};
  SampleFormScreen* form_ = nullptr;
};

TEST_F(EntryEditTest, TheBoxSitsOverTheFocusedInputRowWithoutBorder) {
  ASSERT_TRUE(Edit().Visible());
  EXPECT_TRUE(Edit().Focused());
  EXPECT_EQ(ui_.Window().Focus(), static_cast<platform::MessageTarget*>(&Edit()));
  const platform::Rect box = ui::EditBoxRect(1, 240);
  EXPECT_EQ(box, (platform::Rect{25, 72, 215, 90}));
  EXPECT_EQ(Edit().WindowRect(), box);
  EXPECT_EQ(Edit().WindowRegion(), (platform::Rect{1, 1, box.Width() - 1, box.Height() - 1}));
  EXPECT_EQ(Edit().PasswordChar(), 0);
  EXPECT_FALSE(Edit().NumbersOnly());
  // On a desktop the physical keyboard types into a focused box.
  EXPECT_TRUE(platform::InputPanelActive());

  // Its background continues the input field: the brush taken from (6, 7).
  const platform::Bitmap& brush = ui_.View().EditBrush();
  ASSERT_FALSE(brush.Empty());
  const int x = box.right - 3;
  const int y = box.top + 2;
  EXPECT_EQ(ui_.Picture().Pixel(x, y), brush.Pixel(x - box.left, y - box.top));
  // The outermost pixel line is not the box's.
  EXPECT_EQ(ui_.Picture().Pixel(box.left, box.top), ui_.Picture().Pixel(box.left - 1, box.top));
}

TEST_F(EntryEditTest, BackDeletesBeforeTheCaretOrClearsTheSelection) {
  ui_.Type(L"abc");
  EXPECT_EQ(Edit().Text(), L"abc");
  EXPECT_EQ(Edit().Caret(), 3);
  ui_.Press(VK_BACK_KEY);
  EXPECT_EQ(Edit().Text(), L"ab");
  EXPECT_EQ(Edit().Caret(), 2);
  EXPECT_FALSE(Edit().HasSelection());

  Edit().SetSel(0, 0);
  ui_.Press(VK_BACK_KEY);
  EXPECT_EQ(Edit().Text(), L"ab");
  EXPECT_EQ(Edit().Caret(), 0);

  ui_.Type(L"xyz");  // at the start
  EXPECT_EQ(Edit().Text(), L"xyzab");
  Edit().SetSel(1, 3);
  ui_.Press(VK_BACK_KEY);
  EXPECT_EQ(Edit().Text(), L"xab");
  EXPECT_EQ(Edit().Caret(), 1);
  // The caret keys stay in the box.
  ui_.Press(platform::VK_RIGHT);
  ui_.Press(platform::VK_RIGHT);
  EXPECT_EQ(Edit().Caret(), 3);
  EXPECT_EQ(form_->Selection(), 0);
}

TEST_F(EntryEditTest, MovingBetweenInputRowsKeepsWhatWasTyped) {
  ui_.Type(L"user");
  ui_.Press(VK_DOWN);
  EXPECT_EQ(form_->Selection(), SampleFormScreen::kPasswordSelection);
  EXPECT_EQ(form_->Fields().Text(SampleFormScreen::kLoginSelection), L"user");
  EXPECT_TRUE(Edit().Visible());
  EXPECT_EQ(Edit().WindowRect(), ui::EditBoxRect(3, 240));
  EXPECT_EQ(Edit().PasswordChar(), ui::kPasswordChar);
  ui_.Type(L"pw");
  ui_.Press(VK_DOWN);
  EXPECT_EQ(form_->Selection(), SampleFormScreen::kLoginButton);
  EXPECT_FALSE(Edit().Visible());
  EXPECT_FALSE(platform::InputPanelActive());
  EXPECT_EQ(form_->Fields().Text(SampleFormScreen::kPasswordSelection), L"pw");

  ui_.Press(VK_UP);
  ui_.Press(VK_UP);
  EXPECT_EQ(Edit().Text(), L"user");
  EXPECT_EQ(Edit().SelStart(), 0);
  EXPECT_EQ(Edit().SelEnd(), 4);  // all selected: typing replaces it
  ui_.Type(L"new");
  EXPECT_EQ(Edit().Text(), L"new");
}

TEST_F(EntryEditTest, TheActionKeyStaysInTheBoxAndTheBarsActionHidesIt) {
  ui_.Type(L"someone");
  ui_.Press(platform::VK_RETURN);  // the box's own key: nothing happens
  EXPECT_TRUE(Edit().Visible());
  EXPECT_TRUE(form_->activations.empty());
  ui_.Tap(120, 300);  // the middle of the soft-key bar acts as the action key
  EXPECT_FALSE(Edit().Visible());
  ui_.Press(VK_DOWN);
  EXPECT_EQ(form_->Fields().Text(SampleFormScreen::kLoginSelection), L"someone");
}

TEST_F(EntryEditTest, SoftKeysGoOnToTheScreenWhileTheBoxHasTheFocus) {
  ui_.Press(platform::VK_F2);
  EXPECT_EQ(form_->softKeys, std::vector<int>{ui::kKeyRightSoft});
  EXPECT_TRUE(Edit().Focused());
}

TEST_F(EntryEditTest, ATapOnTheBoxPlacesTheCaretAndStaysThere) {
  ui_.Type(L"abcdef");
  const platform::Rect box = Edit().WindowRect();
  ui_.Tap(box.left + 2, box.top + 5);
  EXPECT_EQ(Edit().Caret(), 0);
  EXPECT_EQ(form_->Selection(), 0);
  ui_.Tap(box.right - 2, box.top + 5);
  EXPECT_EQ(Edit().Caret(), 6);
  // A tap on a button row moves the focus there and hides the box.
  ui_.Tap(100, ui::RowTop(4) + 10);
  EXPECT_EQ(form_->Selection(), SampleFormScreen::kLoginButton);
  EXPECT_EQ(form_->activations, std::vector<int>{SampleFormScreen::kLoginButton});
  EXPECT_FALSE(Edit().Visible());
  EXPECT_EQ(form_->Fields().Text(SampleFormScreen::kLoginSelection), L"abcdef");
}

TEST_F(EntryEditTest, APopupHidesTheBoxUntilTheFormIsActiveAgain) {
  ui_.Type(L"kept");
  form_->ShowPopup(false, L"Notice", L"Text", ui::kNoKey, ui::kNoKey);
  EXPECT_FALSE(Edit().Visible());
  ui_.Press(VK_DOWN);  // closes the pop-up
  ui_.Press(VK_DOWN);
  EXPECT_EQ(form_->Selection(), SampleFormScreen::kPasswordSelection);
  EXPECT_EQ(form_->Fields().Text(SampleFormScreen::kLoginSelection), L"kept");
}

TEST(EditControl, NumbersOnlyRefusesOtherCharactersAndTheCaretStaysInView) {
  platform::EditControl edit;
  const auto file = platform::MatchFontFile("Arial:bold");
  ASSERT_TRUE(file);
  const auto font = platform::Font::Open(*file, 15);
  edit.SetFont(font.get());
  edit.Move({0, 0, 60, 18});
  edit.SetNumbersOnly(true);
  edit.HandleChar(L'1');
  edit.HandleChar(L'a');
  edit.HandleChar(L'\b');
  EXPECT_EQ(edit.Text(), L"1");
  edit.SetNumbersOnly(false);
  for (int i = 0; i < 30; ++i) edit.HandleChar(L'W');
  EXPECT_GT(edit.ScrollOffset(), 0);
  const int caretX = font->Width(edit.Text()) - edit.ScrollOffset();
  EXPECT_LE(caretX, 60 - 2 * platform::EditControl::kMargin);
  edit.HandleKeyDown(platform::VK_HOME);
  EXPECT_EQ(edit.ScrollOffset(), 0);
  edit.HandleKeyDown(platform::VK_DELETE);
  EXPECT_EQ(edit.Text().front(), L'W');
  EXPECT_EQ(edit.Text().size(), 30U);
  edit.SetSel(-1, 99);  // clamped
  EXPECT_EQ(edit.SelStart(), 30);
}

}  // namespace
}  // namespace kestrova::test
