// The engine as a whole on a headless window: segments queued, played back
// to back, the queue running dry and filling again, pause and stop, the
// pictures on the display surface and the sound on SDL's disk driver.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <thread>
#include <utility>
#include <vector>

#include "player/audio_output.h"
#include "player_rig.h"
#include "segment_encoder/test_card_geometry.h"
#include "segment_files.h"
#include "support/scoped_environment.h"

namespace kestrova::player::test {
namespace {

using namespace std::chrono_literals;
using kestrova::test::ScopedEnvironment;

TEST(AudioOutput, BufferCountsAndVolumes) {
  EXPECT_EQ(AudioOutput::BufferCount(25, 1), 8);
  EXPECT_EQ(AudioOutput::BufferCount(30000, 1001), 9);
  EXPECT_EQ(AudioOutput::BufferCount(15, 1), 5);
  // Below 3 frames a second one buffer still plays while the next fills.
  EXPECT_EQ(AudioOutput::BufferCount(2, 1), AudioOutput::kMinBufferCount);
  EXPECT_EQ(AudioOutput::BufferCount(1, 2), AudioOutput::kMinBufferCount);
  EXPECT_EQ(AudioOutput::DeviceVolume(1), 1023U | (1023U << 16));
  EXPECT_EQ(AudioOutput::DeviceVolume(0), 0U);
  EXPECT_EQ(AudioOutput::DeviceVolume(64), 0xFFFFFFFFU);
}

TEST(MediaPlayer, QueueRunsDryAndFillsAgainThenStopDeletesEveryFile) {
  ScratchFolder folder;
  PlayerRig rig;
  ASSERT_TRUE(rig.window);
  ASSERT_TRUE(rig.player->AttachView(*rig.view));
  const auto first = folder.Copy("qcif15");
  ASSERT_TRUE(rig.player->QueueSegment(first, L"A"));
  EXPECT_EQ(rig.player->State(), MediaPlayer::kStateReady);
  EXPECT_EQ(rig.player->Audio().BufferCountOpen(), 5);
  EXPECT_EQ(rig.player->PcmBlockBytes(), 5880U);
  // A silent device that has not played anything yet has no gap.
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(rig.player->Audio().Underruns(), 0);
  rig.player->Play();
  EXPECT_TRUE(rig.player->IsPlaying());

  // Played to its end with nothing behind it: 26, and the thread ends.
  ASSERT_TRUE(rig.WaitFor([&] { return rig.view->finished == 1 && !rig.player->IsPlaying(); }));
  EXPECT_FALSE(std::filesystem::exists(first));
  EXPECT_EQ(rig.player->QueuedSegments(), 0U);
  EXPECT_GE(rig.player->Video().PicturesDrawn(), 20);
  // The sound ran out with the queue: one gap, counted once.
  ASSERT_TRUE(rig.WaitFor([&] { return rig.player->Audio().Underruns() >= 1; }));
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(rig.player->Audio().Underruns(), 1);

  // The next segment only waits in the queue until Play: a second 26 for
  // the segment that had ended, then it opens and plays.
  const auto second = folder.Copy("qcif15_next");
  ASSERT_TRUE(rig.player->QueueSegment(second, L"B"));
  EXPECT_EQ(rig.view->Opened(), std::vector<std::wstring>{L"A"});
  rig.player->Play();
  ASSERT_TRUE(rig.WaitFor([&] { return rig.view->Opened().size() == 2; }));
  EXPECT_EQ(rig.view->finished, 2);
  EXPECT_TRUE(rig.WaitForPictures(5));

  const auto third = folder.Copy("qcif15");
  const auto fourth = folder.Copy("qcif15_next");
  ASSERT_TRUE(rig.player->QueueSegment(third, L"B"));
  ASSERT_TRUE(rig.player->QueueSegment(fourth, L"B"));
  rig.player->Stop();
  EXPECT_FALSE(rig.player->IsPlaying());
  for (const auto& file : {second, third, fourth}) EXPECT_FALSE(std::filesystem::exists(file)) << file;
  EXPECT_EQ(rig.player->QueuedSegments(), 0U);

  // Once closed it takes nothing more; the file stays with the caller.
  rig.player->Close();
  const auto late = folder.Copy("qcif15");
  EXPECT_FALSE(rig.player->QueueSegment(late, L"B"));
  EXPECT_TRUE(std::filesystem::exists(late));
}

TEST(MediaPlayer, UnreadableSegmentsAreSkippedNotStuckAtTheHead) {
  ScratchFolder folder;
  PlayerRig rig;
  ASSERT_TRUE(rig.window);
  ASSERT_TRUE(rig.player->AttachView(*rig.view));
  const auto cut = folder.Copy("qcif15", [](std::string& bytes) { bytes.resize(300); });
  EXPECT_TRUE(rig.player->QueueSegment(cut, L"cut"));
  EXPECT_EQ(rig.player->State(), MediaPlayer::kStateNew);
  EXPECT_FALSE(std::filesystem::exists(cut));
  EXPECT_EQ(rig.view->refused, 1);
  const auto good = folder.Copy("qcif15");
  EXPECT_TRUE(rig.player->QueueSegment(good, L"good"));
  EXPECT_EQ(rig.player->State(), MediaPlayer::kStateReady);

  // In the middle, a damaged segment and one that gives no block (sound
  // only) are dropped unplayed, without a notification 26 of their own.
  const auto damaged = folder.Copy("qcif15", [](std::string& bytes) { bytes.resize(200); });
  const auto soundOnly = folder.Copy("audio_only");
  const auto after = folder.Copy("qcif15_next");
  ASSERT_TRUE(rig.player->QueueSegment(damaged, L"damaged"));
  ASSERT_TRUE(rig.player->QueueSegment(soundOnly, L"sound only"));
  ASSERT_TRUE(rig.player->QueueSegment(after, L"after"));
  rig.player->Play();
  ASSERT_TRUE(rig.WaitFor([&] { return rig.view->Opened().back() == L"after"; }));
  EXPECT_TRUE(rig.WaitForPictures(5));
  EXPECT_FALSE(std::filesystem::exists(damaged));
  EXPECT_FALSE(std::filesystem::exists(soundOnly));
  EXPECT_EQ(rig.view->refused, 3);
  EXPECT_EQ(rig.view->finished, 1);  // the good one, played to its end
  EXPECT_EQ(rig.view->playing, 2);
  rig.player->Close();
}

TEST(MediaPlayer, BuffersThatComeBackWhilePausedAreCountedSoTheWholeRingCirculates) {
  ScratchFolder folder;
  PlayerRig rig;
  ASSERT_TRUE(rig.window);
  ASSERT_TRUE(rig.player->AttachView(*rig.view));
  ASSERT_TRUE(rig.player->QueueSegment(folder.Copy("qvga25"), L"A"));
  ASSERT_TRUE(rig.player->QueueSegment(folder.Copy("qvga25"), L"A"));
  rig.player->Play();
  ASSERT_TRUE(rig.WaitForPictures(10));
  rig.player->Pause();
  AudioOutput& audio = rig.player->Audio();
  EXPECT_EQ(audio.BufferCountOpen(), 8);
  // The queued sound plays out and every buffer is free again.
  EXPECT_TRUE(rig.WaitFor([&] { return audio.FreeCount() == audio.BufferCountOpen(); }));
  const int drawn = rig.player->Video().PicturesDrawn();
  rig.player->Play();
  EXPECT_TRUE(rig.WaitFor([&] { return audio.FreeCount() == 0; }));  // all eight in flight
  EXPECT_TRUE(rig.WaitForPictures(10));
  EXPECT_GT(rig.player->Video().PicturesDrawn(), drawn);
  rig.player->Close();
}

TEST(MediaPlayer, ClosingWhilePlayingReturnsAtOnceAndLeavesNoThread) {
  ScratchFolder folder;
  PlayerRig rig;
  ASSERT_TRUE(rig.window);
  // A thread started and ended first: ThreadSanitizer starts a thread of its
  // own at the process's first thread, which must not count as the player's.
  std::thread([] {}).join();
  const int threadsBefore = ThreadCount();
  ASSERT_TRUE(rig.player->AttachView(*rig.view));
  ASSERT_TRUE(rig.player->QueueSegment(folder.Copy("qvga25"), L"A"));
  const auto queued = folder.Copy("qvga25");
  ASSERT_TRUE(rig.player->QueueSegment(queued, L"A"));
  rig.player->Play();
  ASSERT_TRUE(rig.WaitForPictures(5));
  // Held, the device gives no buffer back: a close that waited for one
  // would never end, however fast the machine.
  rig.player->Audio().Hold(true);
  rig.player.reset();
  EXPECT_FALSE(std::filesystem::exists(queued));
  EXPECT_TRUE(rig.WaitFor([&] { return ThreadCount() <= threadsBefore; })) << ThreadCount();
}

// The test card's bars on the display surface, read in the display's
// logical coordinates: where a bar's centre lands, for bar k.
struct BarPlace {
  int orientation;
  bool fullScreen;
  int (*x)(int k);
  int (*y)(int k);
};

TEST(MediaPlayer, PicturesStandUprightOnTheSurfaceInEveryModeAndOrientation) {
  ScratchFolder folder;
  PlayerRig rig;
  ASSERT_TRUE(rig.window);
  ASSERT_TRUE(rig.player->AttachView(*rig.view));
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(rig.player->QueueSegment(folder.Copy("qvga25"), L"News"));
  rig.player->Play();
  ASSERT_TRUE(rig.WaitForPictures(2));
  // The interface is asked for around the first windowed picture.
  EXPECT_GE(rig.view->interfaceRequests, 1);

  // 320 x 240 card; bar k's centre at card x = 40k + 20, a few rows down.
  const BarPlace places[] = {
      // Windowed portrait: 3/4 size at (0, 34).
      {platform::kDisplayOrientation0, false, [](int k) { return 30 * k + 15; }, [](int) { return 34 + 8; }},
      // Full screen portrait: 1:1, turned a quarter counter-clockwise.
      {platform::kDisplayOrientation0, true, [](int) { return 10; }, [](int k) { return 319 - (40 * k + 20); }},
      // Full screen landscape: 1:1 and upright.
      {platform::kDisplayOrientation90, true, [](int k) { return 40 * k + 20; }, [](int) { return 10; }},
      // Windowed landscape: half size, upright, right-aligned in (50, 30, 270, 150).
      {platform::kDisplayOrientation270, false, [](int k) { return 110 + (40 * k + 20) / 2; },
       [](int) { return 30 + 5; }},
  };
  for (const auto& place : places) {
    SCOPED_TRACE(::testing::Message() << "orientation " << place.orientation << " full " << place.fullScreen);
    rig.window->Display().SetOrientation(place.orientation);
    rig.player->SetFullScreen(place.fullScreen);
    ASSERT_TRUE(rig.WaitForPictures(3));
    platform::VideoSurface* surface = rig.player->Video().Surface();
    ASSERT_NE(surface, nullptr);
    for (int k = 0; k < static_cast<int>(encoder::kBarColours.size()); ++k) {
      EXPECT_TRUE(IsBar(surface->LogicalPixel(place.x(k), place.y(k)), k)) << k;
    }
  }
  rig.player->Close();
}

// 16-bit stereo samples of the left channel from SDL's disk driver output.
std::vector<std::int16_t> LeftChannel(const std::filesystem::path& file) {
  const std::string bytes = ReadBytes(file);
  std::vector<std::int16_t> left;
  for (std::size_t i = 0; i + 3 < bytes.size(); i += 4) {
    left.push_back(static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[i]) |
                                             (static_cast<std::uint8_t>(bytes[i + 1]) << 8)));
  }
  return left;
}

TEST(MediaPlayer, TheToneRunsOnAcrossASegmentBoundary) {
  ScratchFolder folder;
  const auto output = folder.Write("sound.raw", "");
  {
    const ScopedEnvironment driver("SDL_AUDIODRIVER", "disk");
    const ScopedEnvironment file("SDL_DISKAUDIOFILE", output.string());
    PlayerRig rig;
    ASSERT_TRUE(rig.window);
    ASSERT_TRUE(rig.player->AttachView(*rig.view));
    ASSERT_TRUE(rig.player->QueueSegment(folder.Copy("qcif15"), L"A"));
    ASSERT_TRUE(rig.player->QueueSegment(folder.Copy("qcif15_next"), L"A"));
    rig.player->Play();
    ASSERT_TRUE(rig.WaitFor([&] { return !rig.player->IsPlaying(); }));
    std::this_thread::sleep_for(500ms);  // the queued sound plays out
  }

  constexpr int kRate = 22050;
  constexpr int kWindow = kRate / 100;  // 10 ms
  constexpr int kLoud = 3000;
  const auto left = LeftChannel(output);
  ASSERT_GT(left.size(), static_cast<std::size_t>(3 * kRate));
  // Each 10 ms window: sounding or silent.
  std::vector<bool> sounding;
  for (std::size_t w = 0; (w + 1) * kWindow <= left.size(); ++w) {
    int peak = 0;
    for (int i = 0; i < kWindow; ++i) peak = std::max(peak, std::abs(static_cast<int>(left[w * kWindow + i])));
    sounding.push_back(peak > kLoud);
  }
  const auto first = std::find(sounding.begin(), sounding.end(), true);
  const auto last = std::find(sounding.rbegin(), sounding.rend(), true).base();
  ASSERT_LT(first, last);
  // Four seconds of a tone that pauses 200 ms each second: four sounding
  // runs, and no silence longer than the tone's own pause at the boundary.
  std::vector<int> runs;  // alternating sounding and silent run lengths, in windows
  bool state = true;
  int length = 0;
  for (auto it = first; it != last; ++it) {
    if (*it != state) {
      runs.push_back(length);
      state = *it;
      length = 0;
    }
    ++length;
  }
  runs.push_back(length);
  ASSERT_EQ(runs.size(), 7U);
  for (std::size_t i = 1; i < runs.size(); i += 2) EXPECT_LE(runs[i], 25) << "silence " << i;
  for (std::size_t i = 2; i + 1 < runs.size(); i += 2) EXPECT_NEAR(runs[i], 80, 8) << "tone " << i;

  // 1 kHz: rising zero crossings over the second sounding run.
  const std::size_t from = static_cast<std::size_t>((first - sounding.begin()) + runs[0] + runs[1]) * kWindow;
  const std::size_t to = from + static_cast<std::size_t>(runs[2] - 2) * kWindow;
  int crossings = 0;
  for (std::size_t i = from + 1; i < to; ++i) crossings += (left[i - 1] < 0 && left[i] >= 0) ? 1 : 0;
  const double hertz = crossings * static_cast<double>(kRate) / static_cast<double>(to - from);
  EXPECT_NEAR(hertz, 1000.0, 20.0);
}

// Another quality may bring another frame rate with the same sound: the
// block of sound that goes with each picture follows the segment playing.
TEST(MediaPlayer, EachSegmentPacesItsPicturesByItsOwnFrameRate) {
  ScratchFolder folder;
  PlayerRig rig;
  ASSERT_TRUE(rig.window);
  ASSERT_TRUE(rig.player->AttachView(*rig.view));
  ASSERT_TRUE(rig.player->QueueSegment(folder.Copy("qcif15"), L"15"));
  ASSERT_TRUE(rig.player->QueueSegment(folder.Copy("qcif10"), L"10"));
  EXPECT_EQ(rig.player->PcmBlockBytes(), 5880U);
  rig.player->Play();
  ASSERT_TRUE(rig.WaitFor([&] { return rig.view->finished == 2 && !rig.player->IsPlaying(); }));
  EXPECT_EQ(rig.player->FrameRateNumerator(), 10);
  EXPECT_EQ(rig.player->PcmBlockBytes(), 8820U);  // 2 x 2 channels x 22050 / 10
  EXPECT_EQ(rig.player->Audio().BufferCountOpen(), 3);
  rig.player->Close();
}

// A change of frame rate between segments of the same sound keeps the
// device playing: the new buffers take over while the old ones are still
// out, so the change waits for nothing (here the device is held) and the
// device is not opened again, which would leave a gap.
TEST(MediaPlayer, AChangeOfFrameRateKeepsTheDevicePlayingWhatIsQueued) {
  PlayerRig rig;
  ASSERT_TRUE(rig.window);
  ASSERT_TRUE(rig.player->AttachView(*rig.view));
  AudioOutput& audio = rig.player->Audio();
  audio.Hold(true);
  ASSERT_TRUE(audio.OpenAudio(2, 22050, 15, 1));
  ASSERT_EQ(audio.BufferCountOpen(), 5);
  const std::vector<std::uint8_t> block(audio.BufferSize(), 0);
  for (int i = 0; i < 4; ++i) audio.WriteAudio(block);  // four out, one free: no wait
  EXPECT_EQ(audio.FreeCount(), 1);
  ASSERT_TRUE(audio.ChangeFormat(2, 22050, 10, 1));
  EXPECT_EQ(audio.BufferCountOpen(), 3);
  EXPECT_EQ(audio.BufferSize(), 8820U);
  EXPECT_EQ(audio.FreeCount(), -1);  // the four still out take places among the three
  audio.Hold(false);
  EXPECT_TRUE(rig.WaitFor([&] { return audio.FreeCount() == 3; }));
  EXPECT_TRUE(audio.IsOpen());
  rig.player->Close();
}

// No sound device: a driver that does not exist, or one that starts but
// cannot open its device (the disk driver with a file it cannot write).
// The silent driver takes over, so the pictures still come at the pace of
// the sound, and the player says it plays without sound; a silent driver
// chosen on purpose is no missing device.
TEST(MediaPlayer, WithoutASoundDeviceThePicturesStillCome) {
  const std::vector<std::pair<const char*, bool>> drivers = {{"no-such-driver", true}, {"disk", true}, {"dummy", false}};
  for (const auto& [driver, silent] : drivers) {
    const ScopedEnvironment audioDriver("SDL_AUDIODRIVER", driver);
    const ScopedEnvironment diskFile("SDL_DISKAUDIOFILE", "/nonexistent-folder/sound.raw");
    ScratchFolder folder;
    PlayerRig rig;
    ASSERT_TRUE(rig.window);
    ASSERT_TRUE(rig.player->AttachView(*rig.view));
    ASSERT_TRUE(rig.player->QueueSegment(folder.Copy("qcif15"), L"A"));
    ASSERT_EQ(rig.player->State(), MediaPlayer::kStateReady) << driver;
    EXPECT_EQ(rig.player->PlaysWithoutSound(), silent) << driver;
    rig.player->Play();
    EXPECT_TRUE(rig.WaitForPictures(5)) << driver;
    rig.player->Close();
  }
}

}  // namespace
}  // namespace kestrova::player::test
