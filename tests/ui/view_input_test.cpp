// The view's input rules: soft-key bar thirds, the keyboard icon of the form
// screens, keys on press or release, input while busy (Back cancels the
// request waited for), and mouse moves only as drags.
#include "app/kestrova_view.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "app/network_task.h"
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

// Records every event; handles everything.
class RecordingScreen : public ui::Screen {
 public:
  explicit RecordingScreen(int id, bool form = false) : ui::Screen(id), form_(form) {}
  bool IsForm() const override { return form_; }
  bool OnPointer(int x, int y, int kind) override {
    pointers.push_back({x, y, kind});
    return true;
  }
  bool OnKeyUp(int key) override {
    keyUps.push_back(key);
    return true;
  }
  bool OnKeyDown(int key) override {
    keyDowns.push_back(key);
    return true;
  }
  void Draw(ui::Painter&, platform::Canvas&) override {}

  struct Pointer {
    int x;
    int y;
    int kind;
    bool operator==(const Pointer&) const = default;
  };
  std::vector<Pointer> pointers;
  std::vector<int> keyUps;
  std::vector<int> keyDowns;

 private:
  bool form_;
};

class ViewInputTest : public ::testing::Test {
 protected:
  RecordingScreen& Show(int id, bool form = false) {
    auto& screen = ui_.Install<RecordingScreen>(id, form);
    ui_.Show(id);
    return screen;
  }
  UiHarness ui_{kBinDir};
};

TEST_F(ViewInputTest, SoftKeyBarTapsActByThirdsOfTheWidth) {
  auto& screen = Show(9);
  ui_.PointerDown(79, 300);
  ui_.PointerDown(80, 300);
  ui_.PointerDown(160, 300);
  ui_.PointerDown(161, 300);
  EXPECT_EQ(screen.keyUps, (std::vector<int>{ui::kKeyLeftSoft, ui::kKeyRightSoft}));
  EXPECT_EQ(screen.keyDowns, (std::vector<int>{ui::kKeyAction, ui::kKeyAction}));
  EXPECT_TRUE(screen.pointers.empty());

  // The bar begins at y = 290 on a 320-pixel screen.
  ui_.PointerDown(10, 289);
  EXPECT_EQ(screen.pointers, (std::vector<RecordingScreen::Pointer>{{10, 289, ui::kPointerDown}}));
  ui_.PointerDown(10, 290);
  EXPECT_EQ(screen.keyUps.size(), 3U);
  EXPECT_EQ(screen.pointers.size(), 1U);
  // Releases and moves always go to the screen.
  ui_.PointerUp(10, 300);
  ui_.PointerMove(11, 301);
  EXPECT_EQ(screen.pointers.back(), (RecordingScreen::Pointer{11, 301, ui::kPointerMove}));
}

TEST_F(ViewInputTest, TheKeyboardIconTogglesTheInputPanelOnFormScreensOnly) {
  auto& form = Show(ui::kLoginScreen, true);
  ASSERT_FALSE(ui_.View().InputPanelShown());
  ui_.PointerDown(200, 30);
  EXPECT_TRUE(ui_.View().InputPanelShown());
  EXPECT_EQ(form.pointers.size(), 1U);  // also a pointer-down for the screen
  ui_.PointerDown(239, 0);
  EXPECT_FALSE(ui_.View().InputPanelShown());
  ui_.PointerDown(199, 30);  // left of the icon
  ui_.PointerDown(200, 31);  // below it
  EXPECT_FALSE(ui_.View().InputPanelShown());

  auto& other = Show(9);
  ui_.PointerDown(200, 30);
  EXPECT_FALSE(ui_.View().InputPanelShown());
  EXPECT_EQ(other.pointers.size(), 1U);
}

TEST_F(ViewInputTest, ArrowsAndActionActOnPressSoftKeysOnRelease) {
  auto& screen = Show(9);
  ui_.KeyDown(VK_F1);
  ui_.KeyDown(VK_DOWN);
  EXPECT_TRUE(screen.keyUps.empty());
  EXPECT_EQ(screen.keyDowns, std::vector<int>{ui::kKeyDown});
  ui_.KeyUp(VK_F1);
  ui_.KeyUp(VK_DOWN);
  EXPECT_EQ(screen.keyUps, std::vector<int>{ui::kKeyLeftSoft});
  EXPECT_EQ(screen.keyDowns.size(), 1U);
  ui_.Press(platform::VK_BACK_KEY);  // not a key of the view
  ui_.Press(platform::VK_LEFT);
  ui_.Press(platform::VK_RIGHT);
  ui_.Press(platform::VK_UP);
  ui_.Press(VK_RETURN);
  EXPECT_EQ(screen.keyDowns, (std::vector<int>{ui::kKeyDown, 37, 39, ui::kKeyUp, ui::kKeyAction}));
  EXPECT_EQ(screen.keyUps.size(), 1U);
}

TEST_F(ViewInputTest, WhileBusyKeysAndBarTapsAreIgnoredButContentTapsArrive) {
  auto& screen = Show(9);
  ui_.SetBusy(true);
  ui_.Press(VK_RETURN);
  ui_.Press(VK_DOWN);
  ui_.Press(VK_F1);
  ui_.Press(VK_F2);
  ui_.Tap(20, 300);
  ui_.Tap(120, 300);
  EXPECT_TRUE(screen.keyDowns.empty());
  EXPECT_TRUE(screen.keyUps.empty());
  ui_.Tap(50, 100);
  int downs = 0;
  for (const auto& p : screen.pointers) downs += p.kind == ui::kPointerDown ? 1 : 0;
  EXPECT_EQ(downs, 1);  // only the content tap; releases always reach the screen
  ui_.SetBusy(false);
  ui_.Press(VK_RETURN);
  EXPECT_EQ(screen.keyDowns.size(), 1U);
}

TEST_F(ViewInputTest, BackWhileWaitingCancelsTheRequestWaitedForEvenFromTheEditBox) {
  auto& form = ui_.Install<SampleFormScreen>();
  ui_.Show(ui::kLoginScreen);
  ASSERT_TRUE(ui_.View().Edit().Focused());
  ui_.Type(L"abc");
  const app::RequestCancel waited = std::make_shared<std::atomic<int>>(0);
  ui_.SetBusy(true, waited);
  ui_.Type(L"d");
  ui_.Press(VK_DOWN);
  ui_.Press(platform::VK_F1);
  EXPECT_EQ(waited->load(), 0);
  ui_.Press(platform::VK_BACK_KEY);
  EXPECT_EQ(waited->load(), 1);
  // The keys went to the view, not to the box (nothing typed or deleted),
  // and no other key reached the screen.
  EXPECT_EQ(ui_.View().Edit().Text(), L"abc");
  EXPECT_TRUE(form.softKeys.empty());
  EXPECT_EQ(form.Selection(), SampleFormScreen::kLoginSelection);

  // Once the waiter is off the box has the keys again, and Back is its own.
  ui_.SetBusy(false);
  ui_.Press(platform::VK_BACK_KEY);
  EXPECT_EQ(ui_.View().Edit().Text(), L"ab");
  // A waiter turned on without a request to cancel: Back does nothing.
  waited->store(0);
  ui_.SetBusy(true);
  ui_.Press(platform::VK_BACK_KEY);
  EXPECT_EQ(waited->load(), 0);
}

TEST_F(ViewInputTest, AMouseMovesTheListOnlyWhileItsButtonIsHeld) {
  auto& list = ui_.Install<SampleListScreen>(9, NumberedItems(20));
  ui_.Show(9);
  ui_.Press(VK_DOWN);
  const auto rowY = [](int row) { return ui::RowTop(row) + 16; };
  const auto mouse = [&](Uint32 type, int x, int y, Uint32 buttons) {
    SDL_Event event{};
    event.type = type;
    if (type == SDL_MOUSEMOTION) {
      event.motion.windowID = ui_.Window().SdlWindowId();
      event.motion.x = x;
      event.motion.y = y;
      event.motion.state = buttons;
    } else {
      event.button.windowID = ui_.Window().SdlWindowId();
      event.button.button = SDL_BUTTON_LEFT;
      event.button.x = x;
      event.button.y = y;
    }
    ui_.Window().HandleEvent(event);
    ui_.Paint();
  };
  const ui::ScrollBar& bar = *list.Bar();
  const int thumb = static_cast<int>(bar.ThumbTop()) + bar.ThumbHeight() / 2;

  // A pointer passing over rows and over the thumb, without a button, or
  // with only the right one: the keyboard's selection and the page stay.
  mouse(SDL_MOUSEMOTION, 50, rowY(4), 0);
  mouse(SDL_MOUSEMOTION, 50, rowY(6), SDL_BUTTON_RMASK);
  mouse(SDL_MOUSEMOTION, 234, thumb, 0);
  mouse(SDL_MOUSEMOTION, 234, 1000, 0);
  EXPECT_EQ(list.Selection(), 1);
  EXPECT_EQ(list.FirstVisibleRow(), 0);
  EXPECT_TRUE(list.activations.empty());

  // Pressed, dragged over rows and released: the row under the release is
  // selected and activated, as before.
  mouse(SDL_MOUSEBUTTONDOWN, 50, rowY(2), 0);
  mouse(SDL_MOUSEMOTION, 50, rowY(3), SDL_BUTTON_LMASK);
  EXPECT_EQ(list.Selection(), 3);
  mouse(SDL_MOUSEMOTION, 50, rowY(5), SDL_BUTTON_LMASK);
  mouse(SDL_MOUSEBUTTONUP, 50, rowY(5), 0);
  EXPECT_EQ(list.Selection(), 5);
  EXPECT_EQ(list.activations, std::vector<int>{5});

  // Dragging the thumb to the bottom pages the list to its end.
  mouse(SDL_MOUSEBUTTONDOWN, 234, thumb, 0);
  mouse(SDL_MOUSEMOTION, 234, 1000, SDL_BUTTON_LMASK);
  mouse(SDL_MOUSEBUTTONUP, 234, 1000, 0);
  EXPECT_EQ(list.FirstVisibleRow(), 12);
}

TEST_F(ViewInputTest, KeysThroughTheWindowFromSdlReachTheScreen) {
  auto& screen = Show(9);
  SDL_Event event{};
  event.type = SDL_KEYDOWN;
  event.key.windowID = ui_.Window().SdlWindowId() + 1;
  event.key.keysym.sym = SDLK_DOWN;
  ui_.Window().HandleEvent(event);  // another window's key: ignored
  event.key.windowID = ui_.Window().SdlWindowId();
  ui_.Window().HandleEvent(event);
  event.type = SDL_KEYUP;
  event.key.keysym.sym = SDLK_F2;
  ui_.Window().HandleEvent(event);
  EXPECT_EQ(screen.keyDowns, std::vector<int>{ui::kKeyDown});
  EXPECT_EQ(screen.keyUps, std::vector<int>{ui::kKeyRightSoft});
}

}  // namespace
}  // namespace kestrova::test
