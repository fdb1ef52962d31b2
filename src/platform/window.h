// The program's one top-level window on SDL2: a 240 x 320 logical screen,
// scaled on a desktop and full screen on a small display, presenting an
// RGB565 surface. It turns SDL input into the handset's window messages:
// keys as virtual-key codes, the left mouse button and touch as pointer
// messages in logical pixels (moves only while the button is held, as a
// touch screen reports them), close and focus changes as WM_CLOSE and
// WM_ACTIVATE for the frame, and keeps the invalid area for WM_PAINT.
#pragma once

#include <SDL.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/bitmap.h"
#include "platform/display_state.h"
#include "platform/messages.h"
#include "platform/rect.h"
#include "platform/sdl_handles.h"

namespace kestrova::platform {

class UiLoop;

class Window {
 public:
  struct Options {
    int width = 240;   // logical pixels
    int height = 320;
    std::string title = "Kestrova";
    // nullopt: full screen when the display is too small for the scaled
    // window; KESTROVA_FULLSCREEN=1/0 in the environment decides otherwise.
    std::optional<bool> fullScreen;
    int scale = 2;  // window scale on a desktop; KESTROVA_SCALE overrides
  };

  // frame receives WM_CLOSE, WM_ACTIVATE and WM_SIZE; the view (set later)
  // receives input, WM_PAINT and WM_SETTINGCHANGE. Returns null on failure.
  static std::unique_ptr<Window> Create(UiLoop& loop, const Options& options, MessageTarget* frame);
  Window(UiLoop& loop, MessageTarget* frame, int width, int height);  // use Create
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  void SetView(MessageTarget* view) { view_ = view; }
  // Keys and typed text go to the focused window (the view, or a child such
  // as the edit box); null gives the focus back to the view.
  void SetFocus(MessageTarget* target) { focus_ = target; }
  MessageTarget* Focus() const { return focus_ != nullptr ? focus_ : view_; }
  // While set, keys and typed text go to the view whatever has the focus
  // (the view takes them while it is busy, so that a focused edit box does
  // not); the focus itself stays as it was.
  void SetKeysToView(bool toView) { keysToView_ = toView; }
  void Show();
  void BringToFront();
  bool FullScreen() const { return fullScreen_; }
  // SDL's id of the window (events carry it).
  Uint32 SdlWindowId() const { return SDL_GetWindowID(window_.get()); }

  // The client rectangle in logical pixels.
  Rect ClientRect() const { return {0, 0, width_, height_}; }

  void Invalidate(const std::optional<Rect>& area = std::nullopt);
  bool HasInvalidArea() const { return invalid_.has_value(); }
  // Sends WM_PAINT to the view now when part of the window is invalid.
  void Update();
  // Called by the view's paint handler: the area to paint, now validated.
  Rect BeginPaint();

  // Shows an RGB565 surface of the client rectangle's size.
  bool Present(const Bitmap& rgb565);

  // The display's orientation and the validity of its video surfaces. F6 on
  // a keyboard turns the display a quarter; tests lose and restore it as a
  // graphics-device reset would.
  DisplayState& Display() { return display_; }
  void LoseDisplay() { display_.Lose(); }
  // The display is back: the view hears of the reset (WM_SETTINGCHANGE).
  void RestoreDisplay();

  void HandleEvent(const SDL_Event& event);

  // Input as the window delivers it, for tests and the harness: a key by its
  // virtual-key code to the focused window, a typed character, a pointer
  // message (WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE) to the view.
  void InjectKey(std::uint32_t virtualKey, bool down);
  void InjectChar(wchar_t character);
  void InjectPointer(std::uint32_t message, int x, int y) { HandlePointer(message, x, y); }

 private:
  void HandleKey(const SDL_KeyboardEvent& key, bool down);
  void HandleTextInput(const char* utf8);
  void HandlePointer(std::uint32_t message, int x, int y);
  MessageTarget* KeyTarget() const { return keysToView_ ? view_ : Focus(); }

  UiLoop& loop_;
  MessageTarget* frame_;
  MessageTarget* view_ = nullptr;
  MessageTarget* focus_ = nullptr;
  bool keysToView_ = false;
  int width_;
  int height_;
  bool fullScreen_ = false;
  std::optional<Rect> invalid_;
  WindowPtr window_;
  RendererPtr renderer_;
  TexturePtr texture_;
  bool widenTo32_ = false;  // the texture is ARGB8888 (software renderer)
  DisplayState display_;
};

// The virtual-key code of an SDL key, or 0 when the handset has no such key.
std::uint32_t VirtualKeyFromSdl(SDL_Keycode key);

}  // namespace kestrova::platform
