// Screen 11 with the real player in the real view: segments handed in
// through the view's segment sink as the stream worker hands them, the
// queue kept filled by the set-up results and the player's notifications,
// full screen, volume, a lost display coming back, leaving, closing the
// program while playing, and a player that cannot be made; and the stream
// worker fetching from a stream control script on a loopback server whose
// segments go bad.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cwchar>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "app/kestrova_doc.h"
#include "app/kestrova_view.h"
#include "app/main_frame.h"
#include "app/view_media_player.h"
#include "model/catalogue_records.h"
#include "model/command_ids.h"
#include "resources/string_table.h"
#include "support/loopback_server.h"
#include "support/scoped_environment.h"
#include "support/temp_dir.h"
#include "support/ui_harness.h"
#include "ui/screens/player_screen.h"
#include "ui_test_support.h"

namespace kestrova::test {
namespace {

using namespace std::chrono_literals;
using ui::screens::PlayerScreen;

constexpr int kErrorTitle = 23;
constexpr int kNoticeTitle = 44;

// What a getvid body may be that the player cannot play: the start of an Ogg
// page and nothing behind it.
LoopbackReply JunkSegment() {
  LoopbackReply reply;
  reply.contentType = "application/ogg";
  reply.body = "OggS" + std::string(3000, 'x');
  return reply;
}

class PlayerScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ui_.Started());
    auto channel = std::make_unique<model::CatalogueItem>();
    channel->id = 7;
    channel->name = L"News 24";
    channel->free = 1;
    channel->haveVideo = 1;
    ui_.Document().currentFolder->entries.push_back(std::move(channel));
    // The stream set-ups the screen submits fetch nothing here: the test
    // plays the stream worker's part itself.
    ui_.Document().Network().cancel = 1;
    ui_.Show(ui::kChannelFoldersScreen);
  }

  PlayerScreen& Screen() { return *dynamic_cast<PlayerScreen*>(ui_.Screens().GetScreen(ui::kPlayerScreen)); }
  ui::ViewPlayer* Player() { return ui_.View().Player(); }
  // Holds or releases the player's sound device: while it is held no buffer
  // comes back, so the segment stands still however busy the machine is.
  // Released before the player is stopped, which waits for a buffer.
  player::AudioOutput& Sound() { return dynamic_cast<app::ViewMediaPlayer&>(*Player()).Engine().Audio(); }
  void HoldSound(bool held) { Sound().Hold(held); }

  // A copy of a segment the encoder made at build time.
  std::filesystem::path Segment(const std::string& name) {
    const auto file = dir_.Path() / (name + "-" + std::to_string(copies_++) + ".ogg");
    std::filesystem::copy_file(std::filesystem::path(KESTROVA_PLAYER_SEGMENTS) / (name + ".ogg"), file);
    return file;
  }

  // Through the view's sink from another thread, as the stream worker does.
  bool QueueFromWorker(const std::filesystem::path& file, const std::wstring& programme) {
    std::atomic<bool> done{false};
    bool taken = false;
    std::thread worker([&] {
      taken = ui_.View().QueueSegment(file, programme);
      done = true;
    });
    ui_.RunUntil([&] { return done.load(); });
    worker.join();
    return taken;
  }

  // Plays the stream control script: every set-up names its segment by
  // number ("part 1", "part 2", ...) and the n-th getvid is answered with
  // `getvid(n)`. Set-ups from then on really fetch.
  void ServeStream(std::function<LoopbackReply(int)> getvid) {
    stream_.Handle("/stream/cc.cgi", [this, getvid = std::move(getvid)](const LoopbackRequest& request) {
      const std::lock_guard guard(streamLock_);
      if (request.Param("query_type") != "getvid") {
        LoopbackReply reply;
        reply.headers = {{"Qual_num", "1"}, {"S1", "3000"}, {"Len", "2"},
                         {"Video_name", "part " + std::to_string(++setUps_)}};
        return reply;
      }
      getvidTimes_.push_back(std::chrono::steady_clock::now());
      return getvid(static_cast<int>(getvidTimes_.size()));
    });
    ui_.Document().controlLink = stream_.WideBaseUrl() + L"/stream/";
    ui_.Document().Network().cancel = 0;
  }
  std::vector<std::chrono::steady_clock::time_point> GetvidTimes() {
    const std::lock_guard guard(streamLock_);
    return getvidTimes_;
  }
  bool Left() { return ui_.Screens().CurrentId() == ui::kChannelFoldersScreen; }
  // Where the downloaded segments go ($TMPDIR while a test sets it): it must end empty.
  std::filesystem::path DownloadFolder() {
    const std::filesystem::path folder = dir_ / "downloads";
    std::filesystem::create_directories(folder);
    return folder;
  }

  // Declared first: it outlives the program's stream worker.
  LoopbackServer stream_;
  std::mutex streamLock_;  // guards setUps_ and getvidTimes_ (the server's threads and the test)
  int setUps_ = 0;
  std::vector<std::chrono::steady_clock::time_point> getvidTimes_;
  UiHarness ui_{kBinDir};
  TempDir dir_;
  int copies_ = 0;
};

TEST_F(PlayerScreenTest, TheQueueIsKeptFilledAndPlaybackGoesOnAfterItRanDry) {
  ui_.Screens().Navigate(ui::kPlayerScreen);
  ASSERT_EQ(ui_.Screens().CurrentId(), ui::kPlayerScreen);
  ASSERT_NE(Player(), nullptr);
  EXPECT_EQ(Screen().SetUpsSubmitted(), 1);

  const auto first = Segment("qcif15");
  ASSERT_TRUE(QueueFromWorker(first, L"Morning news"));
  EXPECT_EQ(Screen().StatusText(), L"Morning news");  // notification 27
  // The segment may not end before the keys below: meanwhile the waiter
  // would be up, and it refuses keys.
  HoldSound(true);
  ui_.DeliverResult(model::kCommandStreamSetup, MakeResult(true));
  EXPECT_TRUE(Player()->IsPlaying());
  EXPECT_EQ(Screen().SetUpsSubmitted(), 2);  // one queued: the next is asked for

  // While it plays the view paints nothing over the picture.
  const int paints = ui_.PaintCount();
  ui_.Paint();
  EXPECT_EQ(ui_.PaintCount(), paints);
  ui_.Press(platform::VK_RETURN);
  EXPECT_TRUE(Player()->IsFullScreen());
  ui_.Press(platform::VK_RETURN);
  EXPECT_FALSE(Player()->IsFullScreen());
  ui_.Press(platform::VK_UP);
  EXPECT_EQ(Screen().Volume(), PlayerScreen::kStartVolume + PlayerScreen::kVolumeStep);

  // The segment ends with nothing behind it: notification 26 with an empty
  // queue asks again with the waiter.
  HoldSound(false);
  ASSERT_TRUE(ui_.RunUntil([&] { return !Player()->IsPlaying(); }));
  EXPECT_FALSE(std::filesystem::exists(first));
  EXPECT_EQ(Screen().SetUpsSubmitted(), 3);

  const auto second = Segment("qcif15_next");
  ASSERT_TRUE(QueueFromWorker(second, L"Weather"));
  HoldSound(true);
  ui_.DeliverResult(model::kCommandStreamSetup, MakeResult(true));
  ASSERT_TRUE(ui_.RunUntil([&] { return Screen().StatusText() == L"Weather"; }));
  EXPECT_TRUE(Player()->IsPlaying());
  EXPECT_EQ(Screen().SetUpsSubmitted(), 5);  // after the result, and after the second 26

  // A lost display pauses the player at its next picture; the display reset
  // resumes it.
  ui_.Window().LoseDisplay();
  HoldSound(false);
  // Paused, and every buffer back: the old playback thread waits for none.
  ASSERT_TRUE(ui_.RunUntil([&] { return !Player()->IsPlaying() && Sound().FreeCount() == Sound().BufferCountOpen(); }));
  HoldSound(true);
  ui_.Window().RestoreDisplay();
  EXPECT_TRUE(Player()->IsPlaying());
  HoldSound(false);

  // Leaving stops the stream, deletes what is queued and the player goes.
  ui_.KeyUp(platform::VK_F2);
  EXPECT_EQ(ui_.Screens().CurrentId(), ui::kChannelFoldersScreen);
  EXPECT_EQ(Player(), nullptr);
  EXPECT_FALSE(std::filesystem::exists(second));
  const auto late = Segment("qcif15");
  EXPECT_FALSE(QueueFromWorker(late, L"Weather"));  // nobody takes it: the worker deletes it
  EXPECT_TRUE(std::filesystem::exists(late));
}

TEST_F(PlayerScreenTest, ThePlayerThatCannotBeMadeLeavesTheUserWhereTheyWereWithTheError) {
  ui_.Window().LoseDisplay();
  ui_.Screens().Navigate(ui::kPlayerScreen);
  EXPECT_EQ(ui_.Screens().CurrentId(), ui::kChannelFoldersScreen);
  EXPECT_EQ(ui_.PopupTitle(), resources::Strings().Get(kErrorTitle));
  EXPECT_EQ(Player(), nullptr);
}

TEST_F(PlayerScreenTest, TheProgramClosesAtOnceWhilePlaying) {
  ui_.Screens().Navigate(ui::kPlayerScreen);
  ASSERT_TRUE(QueueFromWorker(Segment("qvga25"), L"News"));
  // Held, the sound never plays out: only a close that waits for none of it ends.
  HoldSound(true);
  ui_.DeliverResult(model::kCommandStreamSetup, MakeResult(true));
  ASSERT_TRUE(Player()->IsPlaying());
  ui_.Loop().Post(ui_.App().Frame(), platform::WM_CLOSE, 0, 0);
  EXPECT_TRUE(ui_.RunUntil([&] { return ui_.App().Frame()->View() == nullptr; }));
}

// Without a sound device the channel still plays (on the silent driver)
// and the user is told so once, however often channels are started.
TEST_F(PlayerScreenTest, WithoutASoundDeviceTheChannelPlaysAndTheUserIsToldOnce) {
  const ScopedEnvironment audioDriver("SDL_AUDIODRIVER", "no-such-driver");
  for (int start = 0; start < 2; ++start) {
    ui_.Screens().Navigate(ui::kPlayerScreen);
    ASSERT_EQ(ui_.Screens().CurrentId(), ui::kPlayerScreen);
    ASSERT_TRUE(QueueFromWorker(Segment("qcif15"), L"News"));
    HoldSound(true);  // the segment plays on until the checks are done
    ui_.DeliverResult(model::kCommandStreamSetup, MakeResult(true));
    EXPECT_TRUE(Player()->PlaysWithoutSound());
    EXPECT_TRUE(Player()->IsPlaying());
    if (start == 0) {
      ASSERT_TRUE(Screen().PopupShown());
      EXPECT_EQ(ui_.PopupTitle(), resources::Strings().Get(kNoticeTitle));
      EXPECT_EQ(Screen().PopupText(), L"No sound device: playing without sound");
      ui_.KeyUp(platform::VK_F2);  // any key closes it
    }
    EXPECT_FALSE(Screen().PopupShown());
    HoldSound(false);
    ui_.KeyUp(platform::VK_F2);
    ASSERT_EQ(ui_.Screens().CurrentId(), ui::kChannelFoldersScreen);
  }
}

// Every segment is junk: each set-up waits longer than the one before, the
// fourth bad segment in a row takes the user back with the error, and then
// nothing more is asked for. Entered again, the user can leave during a wait.
TEST_F(PlayerScreenTest, JunkSegmentsAreAskedForMoreAndMoreSlowlyUntilTheScreenGivesUp) {
  const std::filesystem::path downloads = DownloadFolder();
  const ScopedEnvironment temporary("TMPDIR", downloads.string());
  ServeStream([](int) { return JunkSegment(); });
  const auto start = std::chrono::steady_clock::now();
  ui_.Screens().Navigate(ui::kPlayerScreen);
  ASSERT_TRUE(ui_.RunUntil([&] { return Left(); }));
  RecordProperty("gave_up_after_ms", static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                          std::chrono::steady_clock::now() - start)
                                                          .count()));
  EXPECT_EQ(ui_.PopupTitle(), resources::Strings().Get(kErrorTitle));
  EXPECT_EQ(Player(), nullptr);
  ui_.RunFor(700ms);
  // One set-up and one getvid for each bad segment.
  RecordProperty("stream_requests", static_cast<int>(stream_.RequestCount()));
  EXPECT_EQ(stream_.RequestCount(), 2U * PlayerScreen::kMaxBadSegments);
  const auto times = GetvidTimes();
  for (std::size_t i = 1; i < times.size(); ++i) {
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(times[i] - times[i - 1]);
    EXPECT_GE(waited.count(), PlayerScreen::RetryDelayMs(static_cast<int>(i))) << "before getvid " << i + 1;
  }

  ui_.Screens().Navigate(ui::kPlayerScreen);
  ASSERT_TRUE(ui_.RunUntil(
      [&] { return ui_.TimerRunning(app::CKestrovaView::kTimerDelayedStep) && !ui_.View().Busy(); }));
  EXPECT_EQ(Screen().BadSegmentsInRow(), 1);
  ui_.KeyUp(platform::VK_F2);
  EXPECT_TRUE(Left());
  EXPECT_FALSE(ui_.TimerRunning(app::CKestrovaView::kTimerDelayedStep));
  const std::size_t seen = stream_.RequestCount();
  ui_.RunFor(700ms);
  EXPECT_EQ(stream_.RequestCount(), seen);
  ASSERT_TRUE(ui_.RunUntil([&] { return ui_.Document().WorkersFinished(); }));
  EXPECT_TRUE(std::filesystem::is_empty(downloads));
}

// Between good segments, a junk one and a set-up whose getvid fails: what is
// queued plays on, the next good segment plays and ends the run of bad ones,
// and leaving leaves no file behind.
TEST_F(PlayerScreenTest, AJunkSegmentAndAFailedFetchBetweenGoodOnesDoNotStopWhatPlays) {
  const std::filesystem::path downloads = DownloadFolder();
  const ScopedEnvironment temporary("TMPDIR", downloads.string());
  const std::filesystem::path segments(KESTROVA_PLAYER_SEGMENTS);
  const std::string good[] = {ReadFile(segments / "qcif15.ogg"), ReadFile(segments / "qcif15_next.ogg")};
  ServeStream([&](int n) {
    if (n == 2) return JunkSegment();
    LoopbackReply reply;
    reply.contentType = "application/ogg";
    if (n == 3) {
      reply.status = 500;
    } else {
      reply.body = good[n % 2];
    }
    return reply;
  });
  ui_.Screens().Navigate(ui::kPlayerScreen);
  // Part 4 or any later one (a busy machine may look only once part 4 is over).
  const auto partNumber = [&] {
    const std::wstring status = Screen().StatusText();
    return status.rfind(L"part ", 0) == 0 ? std::wcstol(status.c_str() + 5, nullptr, 10) : 0L;
  };
  ASSERT_TRUE(ui_.RunUntil([&] {
    return partNumber() >= 4 && Screen().BadSegmentsInRow() == 0 && Player() != nullptr && Player()->IsPlaying();
  }));
  EXPECT_EQ(ui_.PopupTitle(), L"");
  ui_.KeyUp(platform::VK_F2);
  EXPECT_TRUE(Left());
  ASSERT_TRUE(ui_.RunUntil([&] { return ui_.Document().WorkersFinished(); }));
  EXPECT_TRUE(std::filesystem::is_empty(downloads));
}

}  // namespace
}  // namespace kestrova::test
