// The whole playback engine in real time: a segment queued again and again
// into a MediaPlayer on a headless window (SDL's dummy video and audio
// drivers, which consume sound at the real rate), with the message loop
// showing the pictures. Prints the CPU time per second of playback and the
// resident memory while playing.
//
//   engine SEGMENT.ogg [SECONDS]
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "process_usage.h"
#include "platform/sdl_handles.h"
#include "platform/ui_loop.h"
#include "platform/window.h"
#include "player/media_player.h"
#include "player/player_view.h"

namespace {

using namespace kestrova;
using bench::CpuSeconds;
using bench::StatusKb;
using Clock = std::chrono::steady_clock;

struct Frame final : platform::MessageTarget {
  platform::LRESULT WindowProc(std::uint32_t, platform::WPARAM, platform::LPARAM) override { return 0; }
};

class BenchView final : public player::PlayerView {
 public:
  BenchView(platform::UiLoop& loop, platform::Window& window) : loop_(loop), window_(window) {}
  platform::UiLoop& Loop() override { return loop_; }
  platform::Window& VideoWindow() override { return window_; }
  void RequestInterfacePaint() override {}
  void ReportInternalError() override { std::fprintf(stderr, "engine: a picture could not be drawn\n"); }
  void SegmentOpened(const std::wstring&) override {}
  void SegmentFinished() override {}
  void SegmentChecked(bool) override {}

 private:
  platform::UiLoop& loop_;
  platform::Window& window_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: engine SEGMENT.ogg [SECONDS]\n");
    return 2;
  }
  const std::filesystem::path segment = argv[1];
  const double seconds = argc > 2 ? std::atof(argv[2]) : 20.0;
  const auto work = std::filesystem::temp_directory_path() / ("kestrova-engine-" + std::to_string(::getpid()));
  std::filesystem::create_directories(work);

  platform::SdlLibrary sdl(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
  platform::UiLoop loop;
  Frame frame;
  platform::Window::Options options;
  options.fullScreen = false;
  auto window = platform::Window::Create(loop, options, &frame);
  if (!window) {
    std::fprintf(stderr, "engine: no window: %s\n", SDL_GetError());
    return 1;
  }
  BenchView view(loop, *window);
  player::MediaPlayer player;
  if (!player.AttachView(view)) return 1;

  int copies = 0;
  const auto queueCopy = [&] {
    const auto file = work / ("segment-" + std::to_string(copies++) + ".ogg");
    std::filesystem::copy_file(segment, file);
    if (!player.QueueSegment(file, L"Bench")) std::fprintf(stderr, "engine: the player refused %s\n", file.c_str());
  };
  queueCopy();
  queueCopy();
  player.Play();

  // Warm-up: the first second is left out of the figures.
  const auto warm = Clock::now() + std::chrono::seconds(1);
  while (Clock::now() < warm) loop.PumpOnce();
  const int picturesBefore = player.Video().PicturesDrawn();
  const double cpuBefore = CpuSeconds();
  const auto start = Clock::now();
  long rssMax = 0;
  while (std::chrono::duration<double>(Clock::now() - start).count() < seconds) {
    if (player.QueuedSegments() < 2) queueCopy();
    if (!player.IsPlaying()) player.Play();
    loop.PumpOnce();
    rssMax = std::max(rssMax, StatusKb("VmRSS"));
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  const double cpu = CpuSeconds() - cpuBefore;
  const int pictures = player.Video().PicturesDrawn() - picturesBefore;
  player.Close();
  std::filesystem::remove_all(work);

  std::printf("played %.1f s: %d pictures (%.1f per second)\n", wall, pictures, pictures / wall);
  std::printf("CPU: %.1f ms per second of playback (%.1f%% of one core)\n", cpu / wall * 1000.0, cpu / wall * 100.0);
  std::printf("resident memory while playing: %ld kB (peak of the process %ld kB)\n", rssMax, StatusKb("VmHWM"));
  return 0;
}
