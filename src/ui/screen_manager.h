// The screen manager: holds the screens (ids 0 to 22), exactly one of which
// is current, hands it the view's events and paints it through its own back
// buffer, adding the tickers, the keyboard icon of the form screens and the
// pop-up on top. Changing the current screen clears the tickers, hides the
// edit box and tells both screens.
#pragma once

#include <array>
#include <functional>
#include <memory>

#include "model/request_result.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/colour.h"
#include "ui/screen.h"
#include "ui/navigator.h"
#include "ui/screen_ids.h"
#include "ui/screen_document.h"

namespace kestrova::ui {

class Painter;
class ViewHost;


constexpr platform::Colour kScreenBackground = platform::Rgb(102, 102, 102);
constexpr platform::Colour kMainMenuBackground = platform::Rgb(81, 81, 82);
constexpr platform::Colour kPlayerBackground = platform::Rgb(0, 0, 0);

// Where the keyboard icon of the form screens sits.
constexpr int kKeyboardIconX = 200;
constexpr int kKeyboardIconY = 2;

// The screens with a native edit box.
constexpr bool IsFormScreen(int id) { return id == kLoginScreen || id == kGiftCodeScreen || id == kFeedbackScreen; }

class ScreenManager {
 public:
  ScreenManager();
  ~ScreenManager();
  ScreenManager(const ScreenManager&) = delete;
  ScreenManager& operator=(const ScreenManager&) = delete;

  // Remembers the painter, the data state and the view, and creates the
  // back buffer of the painter's screen size.
  void Initialise(Painter& painter, ScreenDocument* data, ViewHost& host);

  // Puts a screen in the place of its id (0 to 22), replacing one there,
  // and makes this manager its owner. Returns the screen, or null for an id
  // outside the range.
  Screen* Install(std::unique_ptr<Screen> screen);
  Screen* GetScreen(int id) const;
  Screen* Current() const { return current_; }
  int CurrentId() const { return current_ != nullptr ? current_->Id() : -1; }

  // The navigation rules (the screens supply them); Start and Navigate do
  // nothing without.
  void SetNavigator(std::unique_ptr<Navigator> navigator) { navigator_ = std::move(navigator); }
  // Opens the first screen (once, after Initialise).
  void Start();
  // Moves from the current screen to `target` by the transition table.
  void Navigate(int target);

  // Makes screen `id` current. When it differs from the current one, or
  // `forceRedraw` is set: removes all tickers, hides the edit box, ends the
  // old screen's pop-up, calls OnCurrentChanged(false) on the old screen and
  // OnCurrentChanged(true) on the new one, and asks for a redraw. An id
  // without a screen changes nothing.
  void ChangeScreen(int id, bool forceRedraw = false);

  // Events from the view; true when the current screen handled them.
  bool Pointer(int x, int y, int kind);
  bool KeyUp(int key);
  bool KeyDown(int key);
  void RequestDone(int command, model::RequestResultPtr result);
  // Composes the current picture into `target`: the screen (redrawn into the
  // back buffer only when needed), tickers, keyboard icon, pop-up.
  void Paint(platform::Canvas& target);

  bool NeedsRedraw() const { return needsRedraw_; }
  void SetNeedsRedraw() { needsRedraw_ = true; }
  bool ActivationPending() const { return activationPending_; }
  void SetActivationPending() { activationPending_ = true; }
  void SetPopupShown(bool shown);

  Painter* GetPainter() const { return painter_; }
  ScreenDocument* Document() const { return data_; }
  ViewHost* Host() const { return host_; }
  const platform::Bitmap& BackBuffer() const { return backBuffer_; }

  // The one-second step of the details screen (run by the view's one-second
  // timer while that screen is current); set by the screen itself.
  void SetDetailsSecondStep(std::function<void()> step) { detailsSecondStep_ = std::move(step); }
  // Runs it when the details screen is current; true when it ran.
  bool RunDetailsSecondStep();

  static platform::Colour BackgroundOf(int screenId);

 private:
  Painter* painter_ = nullptr;
  std::array<std::unique_ptr<Screen>, kScreenCount> screens_;
  Screen* current_ = nullptr;
  ScreenDocument* data_ = nullptr;
  bool activationPending_ = false;
  platform::Bitmap backBuffer_;
  bool needsRedraw_ = true;
  ViewHost* host_ = nullptr;
  std::function<void()> detailsSecondStep_;
  std::unique_ptr<Navigator> navigator_;
};

}  // namespace kestrova::ui
