#include "support/ui_harness.h"

#include <SDL_image.h>

#include <atomic>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "app/settings_store.h"
#include "platform/registry.h"
#include "platform/sdl_handles.h"

namespace kestrova::test {

namespace {

void WriteTestRegistry(const std::filesystem::path& file, const UiHarness::Options& options) {
  platform::Registry registry(file);
  registry.SetDword(app::kDistributionKey, L"AffiliateID", 2);
  registry.SetDword(app::kDistributionKey, L"iFriendID", 0);
  registry.SetDword(app::kDistributionKey, L"iAgregatorID", 0);
  registry.SetDword(app::kDistributionKey, L"iLinkID", 0);
  if (options.language != resources::kNoLanguage) {
    registry.SetDword(app::kProfileKey, L"iLanguageID", static_cast<std::uint32_t>(options.language));
  }
  if (!options.login.empty()) registry.SetString(app::kProfileKey, L"strLogin", options.login);
  if (!options.password.empty()) registry.SetString(app::kProfileKey, L"strPassword", options.password);
  if (const platform::Status written = registry.Flush(); !written) throw std::runtime_error(written.Reason());
}

}  // namespace

UiHarness::UiHarness(const std::filesystem::path& programDirectory, const Options& options) {
  ::setenv("SDL_VIDEODRIVER", "dummy", 0);
  ::setenv("SDL_AUDIODRIVER", "dummy", 0);
  registryFile_ = options.registryFile.empty() ? dir_ / "registry.reg" : options.registryFile;
  if (!std::filesystem::exists(registryFile_)) WriteTestRegistry(registryFile_, options);
  app::CKestrovaApp::Options appOptions;
  appOptions.registryFile = registryFile_;
  appOptions.programDirectory = programDirectory;
  appOptions.apiUrls = app::ApiBaseUrls{options.apiUrl, options.apiUrl, std::nullopt};
  app_ = std::make_unique<app::CKestrovaApp>(std::move(appOptions));
  started_ = app_->InitInstance() && app_->Frame() != nullptr && app_->Frame()->View() != nullptr;
  if (options.language != resources::kNoLanguage && options.registryFile.empty()) {
    resources::Strings().SetLanguage(options.language);
  }
}

UiHarness::~UiHarness() = default;

app::CKestrovaView& UiHarness::View() { return *app_->Frame()->View(); }

void UiHarness::Flush() { Window().Update(); }

void UiHarness::Show(int screenId, bool forceRedraw) {
  Screens().ChangeScreen(screenId, forceRedraw);
  Paint();
}

void UiHarness::KeyDown(std::uint32_t key) {
  Window().InjectKey(key, true);
  Flush();
}

void UiHarness::KeyUp(std::uint32_t key) {
  Window().InjectKey(key, false);
  Flush();
}

void UiHarness::Press(std::uint32_t key) {
  KeyDown(key);
  KeyUp(key);
}

void UiHarness::Type(std::wstring_view text) {
  for (const wchar_t c : text) Window().InjectChar(c);
  Flush();
}

void UiHarness::PointerDown(int x, int y) {
  Window().InjectPointer(platform::WM_LBUTTONDOWN, x, y);
  Flush();
}

void UiHarness::PointerMove(int x, int y) {
  Window().InjectPointer(platform::WM_MOUSEMOVE, x, y);
  Flush();
}

void UiHarness::PointerUp(int x, int y) {
  Window().InjectPointer(platform::WM_LBUTTONUP, x, y);
  Flush();
}

void UiHarness::Tap(int x, int y) {
  PointerDown(x, y);
  PointerUp(x, y);
}

void UiHarness::FireTimer(std::uint32_t id, int times) {
  for (int i = 0; i < times; ++i) View().WindowProc(platform::WM_TIMER, id, 0);
}

bool UiHarness::TimerRunning(std::uint32_t id) { return Loop().HasTimer(&View(), id); }

void UiHarness::RunFor(std::chrono::milliseconds duration) {
  const auto end = std::chrono::steady_clock::now() + duration;
  while (std::chrono::steady_clock::now() < end) {
    if (!Loop().PumpOnce()) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

bool UiHarness::PumpOnce() {
  const bool running = Loop().PumpOnce();
  std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return running;
}

bool UiHarness::RunUntilIdle(std::chrono::milliseconds timeout) {
  return RunUntil([this] { return Document().WorkersFinished() && !View().Busy(); }, timeout);
}

bool UiHarness::RunUntilScreen(int screenId, std::chrono::milliseconds timeout) {
  return RunUntil(
      [this, screenId] {
        return Document().WorkersFinished() && !View().Busy() && Screens().CurrentId() == screenId;
      },
      timeout);
}

std::wstring UiHarness::PopupTitle() {
  const ui::Screen* screen = Screens().Current();
  return screen != nullptr && screen->PopupShown() ? screen->PopupTitle() : std::wstring();
}

void UiHarness::SetBusy(bool busy, app::RequestCancel request) { View().Take(app::NetBusy{busy, std::move(request)}); }

void UiHarness::DeliverResult(int command, model::RequestResultPtr result) {
  View().Take(app::NetResult{command, Screens().Current(), std::move(result)});
  Flush();
}

void UiHarness::NetDone() { View().Take(app::NetDone{}); }

bool UiHarness::WhileAnotherThreadSends(const std::function<bool()>& send) {
  std::atomic<bool> done{false};
  bool taken = false;
  platform::UiLoop& loop = Loop();
  std::thread worker([&] {
    taken = send();
    done = true;
  });
  while (!done) {
    loop.PumpOnce();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  worker.join();
  return taken;
}

void UiHarness::Paint() {
  Window().Invalidate();
  Window().Update();
}

platform::Colour UiHarness::Pixel(int x, int y) {
  const platform::Bitmap& picture = Picture();
  if (picture.Empty() || x < 0 || y < 0 || x >= picture.Width() || y >= picture.Height()) return {};
  return platform::FromRgb565(picture.Pixel(x, y));
}

bool UiHarness::SavePng(const std::filesystem::path& file, int scale) { return SavePng(Picture(), file, scale); }

bool UiHarness::SavePng(const platform::Bitmap& picture, const std::filesystem::path& file, int scale) {
  if (picture.Empty() || scale < 1) return false;
  platform::SurfacePtr rgb(SDL_CreateRGBSurfaceWithFormat(0, picture.Width() * scale, picture.Height() * scale, 24,
                                                          SDL_PIXELFORMAT_RGB24));
  if (!rgb) return false;
  for (int y = 0; y < rgb->h; ++y) {
    auto* row = static_cast<std::uint8_t*>(rgb->pixels) + y * rgb->pitch;
    const std::uint16_t* from = picture.Row(y / scale);
    for (int x = 0; x < rgb->w; ++x) {
      const platform::Colour c = platform::FromRgb565(from[x / scale]);
      row[3 * x] = c.r;
      row[3 * x + 1] = c.g;
      row[3 * x + 2] = c.b;
    }
  }
  return IMG_SavePNG(rgb.get(), file.c_str()) == 0;
}

model::RequestResultPtr MakeResult(bool ok, std::wstring_view message) {
  auto result = std::make_unique<model::RequestResult>();
  result->ok = ok ? 1 : 0;
  result->message.assign(message);
  return result;
}

}  // namespace kestrova::test
