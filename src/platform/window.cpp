#include "platform/window.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/ui_loop.h"
#include "platform/utf8.h"

namespace kestrova::platform {

namespace {

std::optional<bool> EnvironmentFlag(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::strcmp(value, "0") != 0;
}

int EnvironmentScale(int fallback) {
  const char* value = std::getenv("KESTROVA_SCALE");
  if (value == nullptr) return fallback;
  const int scale = std::atoi(value);
  return scale >= 1 && scale <= 8 ? scale : fallback;
}

constexpr SDL_Keycode kRotateKey = SDLK_F6;

// A display that cannot hold the window at the desktop scale is a handheld:
// the program takes the whole screen there.
bool DisplayIsSmall(int width, int height, int scale) {
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return false;
  return mode.w < width * scale || mode.h < height * scale + 80;
}

}  // namespace

std::uint32_t VirtualKeyFromSdl(SDL_Keycode key) {
  switch (key) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
    case SDLK_RETURN2: return VK_RETURN;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_F1:
    case SDLK_SOFTLEFT: return VK_F1;
    case SDLK_F2:
    case SDLK_SOFTRIGHT: return VK_F2;
    case SDLK_HOME: return VK_HOME;
    case SDLK_END: return VK_END;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_ESCAPE:
    case SDLK_BACKSPACE:
    case SDLK_AC_BACK: return VK_BACK_KEY;
    default: return 0;
  }
}

Window::Window(UiLoop& loop, MessageTarget* frame, int width, int height)
    : loop_(loop), frame_(frame), width_(width), height_(height) {}

std::unique_ptr<Window> Window::Create(UiLoop& loop, const Options& options, MessageTarget* frame) {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0 && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
  auto window = std::make_unique<Window>(loop, frame, options.width, options.height);

  const int scale = EnvironmentScale(options.scale);
  window->fullScreen_ = EnvironmentFlag("KESTROVA_FULLSCREEN")
                            .value_or(options.fullScreen.value_or(DisplayIsSmall(options.width, options.height, scale)));
  Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
  if (window->fullScreen_) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
  window->window_.reset(SDL_CreateWindow(options.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                         options.width * scale, options.height * scale, flags));
  if (!window->window_) return nullptr;
  SDL_SetWindowMinimumSize(window->window_.get(), options.width, options.height);

  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  window->renderer_.reset(SDL_CreateRenderer(window->window_.get(), -1, 0));
  if (!window->renderer_) return nullptr;
  // Logical size: SDL scales the picture and maps pointer positions back to
  // the handset's pixels.
  SDL_RenderSetLogicalSize(window->renderer_.get(), options.width, options.height);
  // A software renderer scales fastest between pictures of one format, so
  // there the picture is widened to 32 bits before it is scaled.
  SDL_RendererInfo info{};
  window->widenTo32_ = SDL_GetRendererInfo(window->renderer_.get(), &info) == 0 &&
                       (info.flags & SDL_RENDERER_SOFTWARE) != 0;
  window->texture_.reset(SDL_CreateTexture(window->renderer_.get(),
                                           window->widenTo32_ ? SDL_PIXELFORMAT_ARGB8888 : SDL_PIXELFORMAT_RGB565,
                                           SDL_TEXTUREACCESS_STREAMING, options.width, options.height));
  if (!window->texture_) return nullptr;

  loop.AttachWindow(window.get());
  return window;
}

Window::~Window() {
  loop_.DetachWindow(this);
}

void Window::Show() {
  SDL_ShowWindow(window_.get());
  Invalidate();
}

void Window::BringToFront() { SDL_RaiseWindow(window_.get()); }

void Window::Invalidate(const std::optional<Rect>& area) {
  Rect rect = area.value_or(ClientRect());
  rect.left = std::max(rect.left, 0);
  rect.top = std::max(rect.top, 0);
  rect.right = std::min(rect.right, width_);
  rect.bottom = std::min(rect.bottom, height_);
  if (rect.Empty()) return;
  if (!invalid_) {
    invalid_ = rect;
    return;
  }
  invalid_->left = std::min(invalid_->left, rect.left);
  invalid_->top = std::min(invalid_->top, rect.top);
  invalid_->right = std::max(invalid_->right, rect.right);
  invalid_->bottom = std::max(invalid_->bottom, rect.bottom);
}

void Window::Update() {
  if (invalid_ && view_ != nullptr) view_->WindowProc(WM_PAINT, 0, 0);
}

Rect Window::BeginPaint() {
  const Rect area = invalid_.value_or(Rect{});
  invalid_.reset();
  return area;
}

bool Window::Present(const Bitmap& rgb565) {
  if (rgb565.Width() != width_ || rgb565.Height() != height_) return false;
  if (widenTo32_) {
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(texture_.get(), nullptr, &pixels, &pitch) != 0) return false;
    const int converted = SDL_ConvertPixels(width_, height_, SDL_PIXELFORMAT_RGB565, rgb565.Data(), rgb565.Pitch(),
                                            SDL_PIXELFORMAT_ARGB8888, pixels, pitch);
    SDL_UnlockTexture(texture_.get());
    if (converted != 0) return false;
  } else if (SDL_UpdateTexture(texture_.get(), nullptr, rgb565.Data(), rgb565.Pitch()) != 0) {
    return false;
  }
  SDL_SetRenderDrawColor(renderer_.get(), 0, 0, 0, 255);
  SDL_RenderClear(renderer_.get());
  SDL_RenderCopy(renderer_.get(), texture_.get(), nullptr, nullptr);
  SDL_RenderPresent(renderer_.get());
  return true;
}

void Window::RestoreDisplay() {
  display_.Restore();
  if (view_ != nullptr) view_->WindowProc(WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0);
  Invalidate();
}

void Window::HandleKey(const SDL_KeyboardEvent& key, bool down) {
  // The desktop's stand-in for turning the handset.
  if (key.keysym.sym == kRotateKey) {
    if (down) display_.Rotate();
    return;
  }
  const std::uint32_t vk = VirtualKeyFromSdl(key.keysym.sym);
  if (vk == 0) return;
  // Auto-repeat is delivered as further key-downs, as the handset does.
  InjectKey(vk, down);
}

void Window::InjectKey(std::uint32_t virtualKey, bool down) {
  MessageTarget* target = KeyTarget();
  if (target != nullptr) target->WindowProc(down ? WM_KEYDOWN : WM_KEYUP, virtualKey, 0);
}

void Window::InjectChar(wchar_t character) {
  MessageTarget* target = KeyTarget();
  if (target != nullptr) target->WindowProc(WM_CHAR, static_cast<WPARAM>(character), 0);
}

void Window::HandleTextInput(const char* utf8) {
  const auto text = DecodeUtf8(utf8);
  if (!text) return;
  for (const wchar_t c : *text) InjectChar(c);
}

void Window::HandlePointer(std::uint32_t message, int x, int y) {
  if (view_ != nullptr) view_->WindowProc(message, 0, MakePointLParam(x, y));
}

void Window::HandleEvent(const SDL_Event& event) {
  const Uint32 ownId = SDL_GetWindowID(window_.get());
  switch (event.type) {
    case SDL_QUIT:
      loop_.Post(frame_, WM_CLOSE, 0, 0);
      return;
    case SDL_WINDOWEVENT:
      if (event.window.windowID != ownId) return;
      switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE: loop_.Post(frame_, WM_CLOSE, 0, 0); break;
        case SDL_WINDOWEVENT_FOCUS_GAINED: frame_->WindowProc(WM_ACTIVATE, WA_ACTIVE, 0); break;
        case SDL_WINDOWEVENT_FOCUS_LOST: frame_->WindowProc(WM_ACTIVATE, WA_INACTIVE, 0); break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          frame_->WindowProc(WM_SIZE, 0, MakePointLParam(width_, height_));
          Invalidate();
          break;
        case SDL_WINDOWEVENT_EXPOSED: Invalidate(); break;
        default: break;
      }
      return;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      if (event.key.windowID == ownId) HandleKey(event.key, event.type == SDL_KEYDOWN);
      return;
    case SDL_DISPLAYEVENT:
      // A rotated display, as the handset reports it to its windows.
      if (event.display.event == SDL_DISPLAYEVENT_ORIENTATION && view_ != nullptr) {
        view_->WindowProc(WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0);
      }
      return;
    case SDL_RENDER_DEVICE_RESET:
      // The surfaces made on the old device are gone.
      LoseDisplay();
      RestoreDisplay();
      return;
    case SDL_TEXTINPUT:
      if (event.text.windowID == ownId) HandleTextInput(event.text.text);
      return;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (event.button.windowID != ownId || event.button.button != SDL_BUTTON_LEFT) return;
      HandlePointer(event.type == SDL_MOUSEBUTTONDOWN ? WM_LBUTTONDOWN : WM_LBUTTONUP, event.button.x, event.button.y);
      return;
    case SDL_MOUSEMOTION:
      // The screens take a move for a drag, as on a touch screen, where the
      // pointer only moves while pressed: a mouse merely passing over the
      // window (or resting where a new window opens under it) moves nothing.
      // A touch arrives as the left button held.
      if (event.motion.windowID != ownId || (event.motion.state & SDL_BUTTON_LMASK) == 0) return;
      HandlePointer(WM_MOUSEMOVE, event.motion.x, event.motion.y);
      return;
    default:
      return;
  }
}

}  // namespace kestrova::platform
