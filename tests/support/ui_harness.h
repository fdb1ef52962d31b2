// Drives the real program headless for user-interface tests: the document,
// frame and view start from a fresh test registry with the built data.dat
// and language files under SDL's dummy video driver; tests install screens,
// inject keys, typed text and taps, fire the view's timers, hand the view
// what the network workers hand it and read or save the painted picture.
//
//   UiHarness ui(KESTROVA_BIN_DIR);
//   auto& list = ui.Install<SampleListScreen>(2, items);
//   ui.Show(2);
//   ui.Press(platform::VK_DOWN);
//   EXPECT_EQ(ui.Pixel(5, 70), ...);
//   ui.SavePng("list.png", 2);
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string_view>
#include <utility>

#include "app/kestrova_app.h"
#include "app/kestrova_view.h"
#include "model/request_result.h"
#include "platform/bitmap.h"
#include "platform/colour.h"
#include "resources/string_table.h"
#include "support/temp_dir.h"
#include "ui/screen_manager.h"

namespace kestrova::test {

class UiHarness {
 public:
  struct Options {
    // resources::kNoLanguage: none chosen yet (a first start).
    int language = resources::kLanguageEnglish;
    // Profile values written to the test registry before start-up.
    std::wstring login;
    std::wstring password;
    // The API server; by default a port where nothing answers.
    std::wstring apiUrl = L"http://127.0.0.1:9";
    // A registry file to use instead of a fresh one; written only when it
    // does not exist yet (so a second harness starts where the first ended).
    std::filesystem::path registryFile;
  };

  explicit UiHarness(const std::filesystem::path& programDirectory) : UiHarness(programDirectory, Options{}) {}
  UiHarness(const std::filesystem::path& programDirectory, const Options& options);
  ~UiHarness();
  UiHarness(const UiHarness&) = delete;
  UiHarness& operator=(const UiHarness&) = delete;

  bool Started() const { return started_; }
  app::CKestrovaApp& App() { return *app_; }
  app::CKestrovaView& View();
  app::CKestrovaDoc& Document() { return *app_->Document(); }
  ui::ScreenManager& Screens() { return View().Screens(); }
  ui::Painter& GetPainter() { return View().GetPainter(); }
  platform::Window& Window() { return View().GetWindow(); }
  platform::UiLoop& Loop() { return *app_->Loop(); }

  // Installs a screen made from the arguments (its id comes first) and
  // returns it; the manager owns it.
  template <class S, class... Args>
  S& Install(Args&&... args) {
    auto screen = std::make_unique<S>(std::forward<Args>(args)...);
    S& ref = *screen;
    Screens().Install(std::move(screen));
    return ref;
  }
  // Makes the screen current (the screen-change rule) and paints.
  void Show(int screenId, bool forceRedraw = false);

  // Keys by virtual-key code, through the window (the focused edit box gets
  // them first, as on the device), each followed by a paint of what became
  // invalid.
  void KeyDown(std::uint32_t key);
  void KeyUp(std::uint32_t key);
  void Press(std::uint32_t key);  // down, then up
  void Type(std::wstring_view text);
  // Pointer events in view pixels.
  void PointerDown(int x, int y);
  void PointerMove(int x, int y);
  void PointerUp(int x, int y);
  void Tap(int x, int y);  // down, then up

  // Runs a view timer's tick as if it had fired.
  void FireTimer(std::uint32_t id, int times = 1);
  bool TimerRunning(std::uint32_t id);
  // Runs the real message loop for a while (timers fire by the clock).
  void RunFor(std::chrono::milliseconds duration);
  // Runs the loop until `done` holds (true) or the time is up (false).
  template <class Predicate>
  bool RunUntil(Predicate done, std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
      if (std::chrono::steady_clock::now() > end || !PumpOnce()) return done();
    }
    return true;
  }
  // Until no command runs any more and the current screen is `screenId`.
  bool RunUntilScreen(int screenId, std::chrono::milliseconds timeout = std::chrono::seconds(20));
  // Until the document's workers have all finished.
  bool RunUntilIdle(std::chrono::milliseconds timeout = std::chrono::seconds(20));
  // One pass of the message loop, then a short pause; false once it quit.
  bool PumpOnce();
  // The current screen's pop-up, "" when none is shown.
  std::wstring PopupTitle();
  const std::filesystem::path& RegistryFile() const { return registryFile_; }

  // The network hand-overs, taken on the user-interface thread as the
  // document's relay passes them on: the waiter (with the request Back
  // cancels), a result from the current screen's command (the view's one
  // way to a screen, which checks that the requester is current), the end.
  void SetBusy(bool busy, app::RequestCancel request = nullptr);
  void DeliverResult(int command, model::RequestResultPtr result);
  void NetDone();
  // The way a worker hands it over: sent through the loop from another
  // thread while the user-interface thread runs its loop. True when taken.
  template <class Value>
  bool SendFromWorkerThread(Value value) {
    app::CKestrovaView& view = View();
    return WhileAnotherThreadSends([&] { return app::SendTo(Loop(), &view, view, std::move(value)); });
  }

  // Invalidates the whole view and paints it now.
  void Paint();
  int PaintCount() { return View().PaintCount(); }
  const platform::Bitmap& Picture() { return View().Picture(); }
  platform::Colour Pixel(int x, int y);

  // Writes the last painted picture as PNG, each pixel scale x scale.
  bool SavePng(const std::filesystem::path& file, int scale = 1);
  static bool SavePng(const platform::Bitmap& picture, const std::filesystem::path& file, int scale = 1);

 private:
  void Flush();
  bool WhileAnotherThreadSends(const std::function<bool()>& send);

  TempDir dir_;
  std::filesystem::path registryFile_;
  std::unique_ptr<app::CKestrovaApp> app_;
  bool started_ = false;
};

// A failed or successful request result, as an endpoint would hand it over.
model::RequestResultPtr MakeResult(bool ok, std::wstring_view message = L"");

}  // namespace kestrova::test
