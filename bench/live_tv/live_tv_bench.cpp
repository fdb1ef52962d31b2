// Live TV end to end: a real kestrova-server in its own process on
// loopback, and the real program headless (SDL's dummy video driver; sound
// through whatever SDL_AUDIODRIVER names, dummy by default, which consumes
// it at the real rate). An account is registered through the forms, the
// first channel of the news folder is opened and Watch is chosen with the
// quality set to High (320x240 at 25 frames a second). Measures:
// - Watch to the first picture unlocked on the video surface;
// - CPU time of this process (the client only) per second of playback,
//   with the program's own message loop running;
// - resident memory while playing, and the peak of the process;
// - sound gaps: times the audio device ran dry after it had started.
// With --link-kbps N the server sends the segments at most at N kbit/s (a
// slow mobile link on loopback); --quality 1 lets the client choose by rate.
// With --link-switch S (and --link-kbps N) the limit is lifted and put back
// every S seconds while measuring, through the server's /_link/kbps.
// With --keep DIR every segment the player was given is also linked into
// DIR (in order), so that scripts/bench-live-tv can decode the same
// segments with ffmpeg.
//
//   live_tv [--seconds N] [--quality Q] [--link-kbps N] [--link-switch S] [--keep DIR]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>

#include "app/view_media_player.h"
#include "process_usage.h"
#include "journeys/journey_fixture.h"
#include "model/catalogue_records.h"
#include "net/segment_sink.h"
#include "platform/messages.h"
#include "platform/ui_loop.h"
#include "support/server_fixture.h"
#include "support/temp_dir.h"
#include "support/ui_harness.h"
#include "ui/screen_ids.h"

namespace {

using namespace kestrova;
using bench::CpuSeconds;
using bench::StatusKb;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kNewsFolderId = 1;
constexpr int kHighQuality = 4;  // 320x240 at 25 frames a second
constexpr double kDefaultSeconds = 20.0;
constexpr auto kWarmUp = 2s;  // after the first picture, left out of the figures
constexpr auto kFirstPictureTimeout = 30s;
constexpr std::uint32_t kSampleTimer = 1;
constexpr std::uint32_t kSamplePeriodMs = 100;
constexpr double kReportEverySeconds = 30.0;

struct Options {
  double seconds = kDefaultSeconds;
  int quality = kHighQuality;
  int linkKbps = 0;  // 0: no limit
  double linkSwitchSeconds = 0;  // 0: the limit stays
  std::filesystem::path keep;
};

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (i + 1 >= argc) return false;
    const char* value = argv[++i];
    if (arg == "--seconds") {
      options.seconds = std::atof(value);
      if (options.seconds <= 0) return false;
    } else if (arg == "--quality") {
      options.quality = std::atoi(value);
    } else if (arg == "--link-kbps") {
      options.linkKbps = std::atoi(value);
      if (options.linkKbps < 0) return false;
    } else if (arg == "--link-switch") {
      options.linkSwitchSeconds = std::atof(value);
      if (options.linkSwitchSeconds < 0) return false;
    } else if (arg == "--keep") {
      options.keep = value;
    } else {
      return false;
    }
  }
  return true;
}

double MillisSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Passes every segment on to the view and, when asked to, keeps a link to
// its file (the player deletes the file once played).
class KeepingSink final : public net::SegmentSink {
 public:
  KeepingSink(net::SegmentSink& next, std::filesystem::path keep) : next_(next), keep_(std::move(keep)) {}
  bool QueueSegment(const std::filesystem::path& file, const std::wstring& programme) override {
    {
      const std::lock_guard lock(mutex_);
      if (!keep_.empty()) {
        char name[32];
        std::snprintf(name, sizeof name, "seg-%04d.ogg", given_);
        std::error_code error;
        std::filesystem::create_hard_link(file, keep_ / name, error);
        if (error) std::filesystem::copy_file(file, keep_ / name, error);
      }
      ++given_;
    }
    // Not under the lock: the first segment's queueing waits for the
    // user-interface thread, which may be asking for the count.
    return next_.QueueSegment(file, programme);
  }
  int Given() {
    const std::lock_guard lock(mutex_);
    return given_;
  }

 private:
  net::SegmentSink& next_;
  std::filesystem::path keep_;
  std::mutex mutex_;
  int given_ = 0;
};

// Runs inside the program's own message loop while measuring: samples the
// resident memory, reports progress and ends the loop when the time is up.
class Sampler final : public platform::MessageTarget {
 public:
  Sampler(platform::UiLoop& loop, player::MediaPlayer& engine, double seconds)
      : loop_(loop), engine_(engine), seconds_(seconds), start_(Clock::now()) {}
  // Every `every` seconds the server's send limit goes from `kbps` to none
  // and back (it starts at `kbps`).
  void SwitchLink(int port, int kbps, double every) {
    port_ = port;
    kbps_ = kbps;
    switchEvery_ = every;
    nextSwitch_ = every;
  }
  platform::LRESULT WindowProc(std::uint32_t message, platform::WPARAM, platform::LPARAM) override {
    if (message != platform::WM_TIMER) return 0;
    rssMaxKb_ = std::max(rssMaxKb_, StatusKb("VmRSS"));
    if (!engine_.IsPlaying()) ++notPlayingSamples_;
    const double elapsed = std::chrono::duration<double>(Clock::now() - start_).count();
    if (elapsed >= nextReport_) {
      std::fprintf(stderr, "live_tv: %.0f s played, %d pictures, %d sound gaps\n", elapsed,
                   engine_.Video().PicturesDrawn(), engine_.Audio().Underruns());
      nextReport_ += kReportEverySeconds;
    }
    if (switchEvery_ > 0 && elapsed >= nextSwitch_) {
      limited_ = !limited_;
      const int kbps = limited_ ? kbps_ : 0;
      httplib::Client server("127.0.0.1", port_);
      const auto answer = server.Get("/_link/kbps?set=" + std::to_string(kbps));
      const player::VideoLayout layout = engine_.Video().Layout();
      std::fprintf(stderr, "live_tv: %.0f s: link limit %d kbit/s (%s), playing %dx%d, %d sound gaps\n", elapsed,
                   kbps, answer && answer->status == 200 ? "set" : "NOT set", layout.frameWidth, layout.frameHeight,
                   engine_.Audio().Underruns());
      nextSwitch_ += switchEvery_;
      ++switches_;
    }
    if (elapsed >= seconds_) loop_.PostQuit(0);
    return 0;
  }
  int Switches() const { return switches_; }
  long RssMaxKb() const { return rssMaxKb_; }
  int NotPlayingSamples() const { return notPlayingSamples_; }

 private:
  platform::UiLoop& loop_;
  player::MediaPlayer& engine_;
  double seconds_;
  Clock::time_point start_;
  double nextReport_ = kReportEverySeconds;
  long rssMaxKb_ = 0;
  int notPlayingSamples_ = 0;
  int port_ = 0;
  int kbps_ = 0;
  double switchEvery_ = 0;
  double nextSwitch_ = 0;
  bool limited_ = true;
  int switches_ = 0;
};

int IndexOfFolder(const model::FolderNode& folder, int id) {
  for (std::size_t i = 0; i < folder.entries.size(); ++i) {
    if (folder.entries[i]->id == id && folder.entries[i]->isFolder != 0) return static_cast<int>(i);
  }
  return -1;
}

int Fail(const char* what) {
  std::fprintf(stderr, "live_tv: %s\n", what);
  return 1;
}

int Run(const Options& options) {
  test::TempDir serverDir;
  // Its own process: its CPU time is not ours.
  test::ServerProcess server(serverDir, {"--link-kbps", std::to_string(options.linkKbps), "--request-timeout", "120"});
  if (server.Port() == 0) return Fail("the server did not come up");

  test::UiHarness::Options harness;
  harness.language = resources::kNoLanguage;
  harness.apiUrl = L"http://127.0.0.1:" + std::to_wstring(server.Port());
  test::UiHarness ui(KESTROVA_BIN_DIR, harness);
  if (!ui.Started()) return Fail("the program did not start");
  if (!test::RegisterThroughTheForms(ui)) return Fail("registration did not reach the main menu");
  // The user's quality choice (High on the settings screen).
  ui.Document().settings.qualityId = options.quality;

  ui.Press(platform::VK_RETURN);  // tile 0: channels
  if (ui.Screens().CurrentId() != ui::kChannelFoldersScreen) return Fail("no channel folders");
  const int news = IndexOfFolder(*ui.Document().currentFolder, kNewsFolderId);
  if (news < 0) return Fail("no news folder");
  test::SelectRow(ui, news);
  ui.Press(platform::VK_RETURN);
  if (!ui.RunUntilIdle()) return Fail("the folder did not open");
  test::SelectRow(ui, 0);
  ui.Press(platform::VK_RETURN);
  if (ui.Screens().CurrentId() != ui::kChannelScreen) return Fail("no channel screen");
  if (!ui.RunUntilIdle()) return Fail("the channel screen did not settle");
  const int channelId = ui.Document().currentFolder->entries[0]->id;

  if (!options.keep.empty()) std::filesystem::create_directories(options.keep);
  KeepingSink keeper(ui.View(), options.keep);
  ui.Document().SetSegmentSink(&keeper);

  const auto watch = Clock::now();
  ui.Press(platform::VK_RETURN);  // Watch
  auto* viewPlayer = dynamic_cast<app::ViewMediaPlayer*>(ui.View().Player());
  if (viewPlayer == nullptr) return Fail("Watch made no player");
  player::MediaPlayer& engine = viewPlayer->Engine();
  if (!ui.RunUntil([&] { return engine.Video().PicturesDrawn() > 0; }, kFirstPictureTimeout)) {
    return Fail("no picture came");
  }
  const double firstPictureMs = MillisSince(watch);
  const double playingAtMs = firstPictureMs;

  ui.RunFor(std::chrono::duration_cast<std::chrono::milliseconds>(kWarmUp));
  Sampler sampler(ui.Loop(), engine, options.seconds);
  if (options.linkSwitchSeconds > 0) sampler.SwitchLink(server.Port(), options.linkKbps, options.linkSwitchSeconds);
  const int picturesBefore = engine.Video().PicturesDrawn();
  const int gapsBefore = engine.Audio().Underruns();
  const double cpuBefore = CpuSeconds();
  const double uiCpuBefore = CpuSeconds(RUSAGE_THREAD);  // this is the user-interface thread
  const auto start = Clock::now();
  ui.Loop().SetTimer(&sampler, kSampleTimer, kSamplePeriodMs);
  ui.Loop().Run();  // the program's own loop, until the sampler ends it
  ui.Loop().KillTimer(&sampler, kSampleTimer);
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  const double cpu = CpuSeconds() - cpuBefore;
  const double uiCpu = CpuSeconds(RUSAGE_THREAD) - uiCpuBefore;
  const int pictures = engine.Video().PicturesDrawn() - picturesBefore;
  const int gaps = engine.Audio().Underruns();
  const player::VideoLayout layout = engine.Video().Layout();
  const bool stillPlaying = engine.IsPlaying();
  const long peakKb = StatusKb("VmHWM");
  ui.Document().SetSegmentSink(&ui.View());
  ui.Loop().ForgetTarget(&sampler);

  std::printf("channel %d, quality asked %d: played %dx%d at %ld/%ld frames a second\n", channelId, options.quality,
              layout.frameWidth, layout.frameHeight, engine.FrameRateNumerator(), engine.FrameRateDenominator());
  std::printf("watch to first picture: %.0f ms (goal <= 1000)\n", firstPictureMs);
  std::printf("measured %.1f s of playback (after %.0f ms to the first picture and %lld s of warm-up): "
              "%d pictures (%.2f per second), %d segments given to the player\n",
              wall, playingAtMs, static_cast<long long>(kWarmUp.count()), pictures, pictures / wall, keeper.Given());
  std::printf("client CPU: %.1f ms per second of playback (%.1f%% of one core)\n", cpu / wall * 1000.0,
              cpu / wall * 100.0);
  std::printf("  of which the user-interface thread (message loop, showing the pictures): %.1f ms; the player's, "
              "audio and network threads: %.1f ms\n",
              uiCpu / wall * 1000.0, (cpu - uiCpu) / wall * 1000.0);
  std::printf("resident memory while playing: %.1f MB at most; peak of the process %.1f MB (goal <= 40)\n",
              static_cast<double>(sampler.RssMaxKb()) / 1024.0, static_cast<double>(peakKb) / 1024.0);
  std::printf("sound gaps (device ran dry after starting): %d since Watch, %d while measured (goal 0)\n", gaps,
              gaps - gapsBefore);
  if (sampler.Switches() > 0) std::printf("link limit switched %d times while measured\n", sampler.Switches());
  std::printf("player not playing at %d of the %.0f samples; still playing at the end: %s\n",
              sampler.NotPlayingSamples(), wall * 1000.0 / kSamplePeriodMs, stillPlaying ? "yes" : "no");
  // For scripts/bench-live-tv.
  std::printf("result first_picture_ms=%.0f cpu_ms_per_s=%.2f rss_max_kb=%ld peak_kb=%ld gaps=%d pictures_per_s=%.2f\n",
              firstPictureMs, cpu / wall * 1000.0, sampler.RssMaxKb(), peakKb, gaps - gapsBefore, pictures / wall);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr, "usage: live_tv [--seconds N] [--quality Q] [--link-kbps N] [--link-switch S] [--keep DIR]\n");
    return 2;
  }
  return Run(options);
}
