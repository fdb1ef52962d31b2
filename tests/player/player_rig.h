// A media player attached to a headless window: SDL's dummy video driver, a
// message loop on the test's thread, and a view that records what the
// player tells it.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/sdl_handles.h"
#include "platform/ui_loop.h"
#include "platform/window.h"
#include "player/media_player.h"
#include "player/player_view.h"

namespace kestrova::player::test {

class RecordingView final : public PlayerView {
 public:
  RecordingView(platform::UiLoop& loop, platform::Window& window) : loop_(loop), window_(window) {}

  platform::UiLoop& Loop() override { return loop_; }
  platform::Window& VideoWindow() override { return window_; }
  void RequestInterfacePaint() override { ++interfaceRequests; }
  void ReportInternalError() override { ++errors; }
  void SegmentOpened(const std::wstring& programme) override {
    const std::lock_guard guard(lock);
    opened.push_back(programme);
  }
  void SegmentFinished() override { ++finished; }
  void SegmentChecked(bool plays) override { ++(plays ? playing : refused); }
  std::vector<std::wstring> Opened() {
    const std::lock_guard guard(lock);
    return opened;
  }

  std::atomic<int> interfaceRequests{0};
  std::atomic<int> errors{0};
  std::atomic<int> finished{0};
  std::atomic<int> playing{0};  // segments whose first block came out
  std::atomic<int> refused{0};  // segments dropped unplayed
  std::mutex lock;  // guards opened
  std::vector<std::wstring> opened;

 private:
  platform::UiLoop& loop_;
  platform::Window& window_;
};

struct PlayerRig {
  PlayerRig();
  // Runs the loop until `done` holds; false when the time ran out.
  template <class Done>
  bool WaitFor(Done done, std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      loop.PumpOnce();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }
  // Waits until `count` more pictures have been drawn.
  bool WaitForPictures(int count);

  struct Frame final : platform::MessageTarget {
    platform::LRESULT WindowProc(std::uint32_t, platform::WPARAM, platform::LPARAM) override { return 0; }
  };

  platform::SdlLibrary sdl{SDL_INIT_VIDEO | SDL_INIT_EVENTS};
  platform::UiLoop loop;
  Frame frame;
  std::unique_ptr<platform::Window> window;
  std::unique_ptr<RecordingView> view;
  std::unique_ptr<MediaPlayer> player;
};

// Threads of this process now.
int ThreadCount();

}  // namespace kestrova::player::test
