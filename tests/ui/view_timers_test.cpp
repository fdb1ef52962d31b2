// The view's busy mode with the waiter, its timers and tickers, the network
// notifications and the player hooks.
#include "app/kestrova_view.h"

#include <gtest/gtest.h>

#include "support/sample_screens.h"
#include "support/ui_harness.h"
#include "ui/rows.h"
#include "ui/skin_image_table.h"
#include "ui/ticker.h"
#include "ui_test_support.h"

namespace kestrova::test {
namespace {

using app::CKestrovaView;

class FakePlayer : public ui::ViewPlayer {
 public:
  bool IsPlaying() const override { return playing; }
  bool IsFullScreen() const override { return fullScreen; }
  bool PausedForLostSurface() override { return lostSurface; }
  void RecreateVideoAndResume() override {
    ++resumed;
    lostSurface = false;
  }
  void Close() override { ++*closed; }
  void Play() override {}
  void Stop() override {}
  void SetVolume(int) override {}
  void SetFullScreen(bool) override {}
  bool PlaysWithoutSound() const override { return false; }
  std::size_t QueuedSegments() const override { return 0; }
  bool QueueSegment(const std::filesystem::path&, const std::wstring&) override { return false; }
  void PaintInterface(const platform::Bitmap&) override { ++interfacePaints; }

  bool playing = true;
  bool fullScreen = false;
  bool lostSurface = false;
  int resumed = 0;
  int interfacePaints = 0;
  int* closed = nullptr;
};

class ViewTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(ui_.Started()); }
  SampleListScreen& ShowList(std::vector<SampleItem> items) {
    auto& list = ui_.Install<SampleListScreen>(9, std::move(items));
    ui_.Show(9);
    return list;
  }
  // The pixels of the waiter's rectangle.
  std::vector<std::uint16_t> WaiterPixels() {
    const platform::Rect r = ui_.View().WaiterRect();
    std::vector<std::uint16_t> pixels;
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) pixels.push_back(ui_.Picture().Pixel(x, y));
    }
    return pixels;
  }
  UiHarness ui_{kBinDir};
};

TEST_F(ViewTest, TheWaiterCyclesTwelveFramesAndDisappearsAtOnce) {
  ShowList(NumberedItems(4));
  const platform::Colour normal = ui_.Pixel(120, 300);
  const std::vector<std::uint16_t> screenUnderWaiter = WaiterPixels();
  ui_.SetBusy(true);
  EXPECT_TRUE(ui_.TimerRunning(CKestrovaView::kTimerWaiter));
  EXPECT_EQ(ui_.View().WaiterFrameCounter(), 1);
  EXPECT_FALSE(SameColour(ui_.Pixel(120, 300), normal));  // dimmed snapshot
  const platform::Rect waiter = ui_.View().WaiterRect();
  EXPECT_EQ(waiter, (platform::Rect{100, 140, 140, 180}));

  std::vector<std::vector<std::uint16_t>> frames;
  for (int i = 0; i < 13; ++i) {
    frames.push_back(WaiterPixels());
    const int paints = ui_.PaintCount();
    ui_.FireTimer(CKestrovaView::kTimerWaiter);
    EXPECT_EQ(ui_.PaintCount(), paints + 1);  // one frame every tick
  }
  for (int i = 0; i < 12; ++i)
    EXPECT_NE(frames[static_cast<std::size_t>(i)], frames[static_cast<std::size_t>(i + 1) % 12]) << i;
  EXPECT_EQ(frames[0], frames[12]);

  const int paints = ui_.PaintCount();
  ui_.SetBusy(false);
  EXPECT_GT(ui_.PaintCount(), paints);  // repainted at once, not at the next tick
  EXPECT_FALSE(ui_.TimerRunning(CKestrovaView::kTimerWaiter));
  EXPECT_TRUE(SameColour(ui_.Pixel(120, 300), normal));
  EXPECT_EQ(WaiterPixels(), screenUnderWaiter);
}

TEST_F(ViewTest, TheBusyNotificationsArriveFromAWorkerThread) {
  auto& list = ShowList(NumberedItems(4));
  EXPECT_TRUE(ui_.SendFromWorkerThread(app::NetBusy{true, nullptr}));
  EXPECT_TRUE(ui_.View().Busy());
  EXPECT_TRUE(ui_.SendFromWorkerThread(app::NetResult{12, &list, MakeResult(false, L"No connection")}));
  EXPECT_TRUE(ui_.SendFromWorkerThread(app::NetBusy{}));
  EXPECT_FALSE(ui_.View().Busy());
  EXPECT_EQ(list.results, std::vector<int>{12});
  EXPECT_TRUE(list.PopupShown());
  // A result for a screen the user has left is freed, not shown.
  const SampleListScreen left(3, {});
  EXPECT_TRUE(ui_.SendFromWorkerThread(app::NetResult{13, &left, MakeResult(true)}));
  EXPECT_EQ(list.results, std::vector<int>{12});
  const int paints = ui_.PaintCount();
  EXPECT_TRUE(ui_.SendFromWorkerThread(app::NetDone{}));
  EXPECT_GT(ui_.PaintCount(), paints);
}

TEST_F(ViewTest, AHorizontalTickerRotatesOnTheTwoHundredMillisecondTimer) {
  const std::wstring text = L"A focused channel name far too long for its row";
  ShowList({{text, ui::kImageIconTv, -1, L""}, {L"Short", ui::kImageIconTv, -1, L""}});
  const ui::Ticker* ticker = ui_.View().Tickers().Find(ui::kTickerFirstRow);
  ASSERT_NE(ticker, nullptr);
  ASSERT_FALSE(ticker->disabled);
  const std::wstring start = ticker->rotating;
  ui_.FireTimer(CKestrovaView::kTimerVerticalTickers);  // not the horizontal one
  EXPECT_EQ(ticker->rotating, start);
  ui_.FireTimer(CKestrovaView::kTimerHorizontalTickers);
  EXPECT_EQ(ticker->rotating, start.substr(1) + start.front());
  ui_.FireTimer(CKestrovaView::kTimerHorizontalTickers, static_cast<int>(start.size()) - 1);
  EXPECT_EQ(ticker->rotating, start);

  // Moving the focus stops the row's ticker.
  ui_.Press(platform::VK_DOWN);
  EXPECT_TRUE(ui_.View().Tickers().Find(ui::kTickerFirstRow)->disabled);
}

TEST_F(ViewTest, TickersStandStillWhileAPopupIsUpOrTheViewIsBusy) {
  auto& list = ShowList({{L"A focused channel name far too long for its row", ui::kImageIconTv, -1, L""}});
  const ui::Ticker* ticker = ui_.View().Tickers().Find(ui::kTickerFirstRow);
  ASSERT_NE(ticker, nullptr);
  const std::wstring start = ticker->rotating;
  list.ShowPopup(false, L"Title", L"Text", ui::kNoKey, ui::kNoKey);
  ui_.FireTimer(CKestrovaView::kTimerHorizontalTickers, 3);
  EXPECT_EQ(ticker->rotating, start);
  list.ClosePopup();
  ui_.SetBusy(true);
  ui_.FireTimer(CKestrovaView::kTimerHorizontalTickers, 3);
  EXPECT_EQ(ticker->rotating, start);
  ui_.SetBusy(false);
  ui_.FireTimer(CKestrovaView::kTimerHorizontalTickers);
  EXPECT_NE(ticker->rotating, start);
}

TEST_F(ViewTest, TheTickerTimersRunFromTheStartAndTheRealLoopDrivesThem) {
  for (const auto id : {CKestrovaView::kTimerHorizontalTickers, CKestrovaView::kTimerVerticalTickers,
                        CKestrovaView::kTimerSecond, CKestrovaView::kTimerFlush}) {
    EXPECT_TRUE(ui_.TimerRunning(id)) << id;
  }
  EXPECT_FALSE(ui_.TimerRunning(CKestrovaView::kTimerWaiter));
  ShowList({{L"A focused channel name far too long for its row", ui::kImageIconTv, -1, L""}});
  const ui::Ticker* ticker = ui_.View().Tickers().Find(ui::kTickerFirstRow);
  const std::wstring start = ticker->rotating;
  ui_.RunFor(std::chrono::milliseconds(700));
  EXPECT_NE(ticker->rotating, start);
}

TEST_F(ViewTest, TheOneSecondTimerRunsTheCurrentScreensStepAndRepaints) {
  // A list with work to do every second.
  class SteppingList : public SampleListScreen {
   public:
    using SampleListScreen::SampleListScreen;
    bool RunSecondStep() override { return ++steps > 0; }
    int steps = 0;
  };
  auto& stepping = ui_.Install<SteppingList>(10, NumberedItems(2));
  ShowList(NumberedItems(2));
  int paints = ui_.PaintCount();
  ui_.FireTimer(CKestrovaView::kTimerSecond);
  EXPECT_EQ(stepping.steps, 0);
  EXPECT_EQ(ui_.PaintCount(), paints);  // a screen without such work is left alone
  ui_.Show(10);
  paints = ui_.PaintCount();
  ui_.FireTimer(CKestrovaView::kTimerSecond);
  EXPECT_EQ(stepping.steps, 1);
  EXPECT_GT(ui_.PaintCount(), paints);
}

TEST_F(ViewTest, APlayingPlayerOwnsTheScreenAndComesBackAfterADisplayReset) {
  auto& list = ShowList({{L"A focused channel name far too long for its row", ui::kImageIconTv, -1, L""}});
  int closed = 0;
  FakePlayer* player = nullptr;
  ui_.View().SetPlayerFactory([&](CKestrovaView&) {
    auto made = std::make_unique<FakePlayer>();
    made->closed = &closed;
    player = made.get();
    return made;
  });
  ASSERT_TRUE(ui_.View().CreatePlayer());
  ASSERT_NE(player, nullptr);
  const int paints = ui_.PaintCount();
  ui_.Paint();
  EXPECT_EQ(ui_.PaintCount(), paints);  // nothing painted while it plays
  EXPECT_EQ(player->interfacePaints, 0);
  // A change around the picture goes out through the player: a pop-up shown
  // while it plays is taken away by a key, and the interface without it is
  // handed over at once.
  list.ShowPopup(false, L"Notice", L"Shown while playing", ui::kNoKey, ui::kNoKey);
  ui_.KeyUp(platform::VK_F2);
  EXPECT_FALSE(list.PopupShown());
  EXPECT_EQ(player->interfacePaints, 1);
  EXPECT_EQ(ui_.PaintCount(), paints);

  const std::wstring start = ui_.View().Tickers().Find(ui::kTickerFirstRow)->rotating;
  player->fullScreen = true;
  ui_.FireTimer(CKestrovaView::kTimerHorizontalTickers);
  EXPECT_EQ(ui_.View().Tickers().Find(ui::kTickerFirstRow)->rotating, start);

  player->lostSurface = true;
  ui_.View().WindowProc(platform::WM_SETTINGCHANGE, 0x1234, 0);
  EXPECT_EQ(player->resumed, 0);
  ui_.View().WindowProc(platform::WM_SETTINGCHANGE, platform::SETTINGCHANGE_RESET, 0);
  EXPECT_EQ(player->resumed, 1);

  ASSERT_TRUE(ui_.View().CreatePlayer());  // a new one replaces (and closes) the old one
  EXPECT_EQ(closed, 1);
  ui_.View().DeletePlayer();
  EXPECT_EQ(closed, 2);
  EXPECT_EQ(ui_.View().Player(), nullptr);
  ui_.Paint();
  EXPECT_EQ(ui_.PaintCount(), paints + 1);
}

}  // namespace
}  // namespace kestrova::test
