// The screen manager: holds the screens (ids 0 to 22), exactly one of which
// is current, hands it the view's events and paints it through its own back
// buffer, adding the tickers, the keyboard icon of a form and the pop-up on
// top. Changing the current screen clears the tickers, hides the edit box
// and tells both screens. It asks a screen what it is by its traits and
// names none.
#pragma once

#include <array>
#include <memory>

#include "model/request_result.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "ui/screen.h"
#include "ui/navigator.h"
#include "ui/screen_ids.h"
#include "ui/screen_document.h"

namespace kestrova::ui {

class Painter;
class ViewHost;

// Where the keyboard icon of a form sits.
constexpr int kKeyboardIconX = 200;
constexpr int kKeyboardIconY = 2;

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
  // Whether the current screen is a form (it has the keyboard icon).
  bool CurrentIsForm() const { return current_ != nullptr && current_->IsForm(); }

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

  // The current screen's work for the view's one-second timer; true when it
  // has such work.
  bool RunSecondStep() { return current_ != nullptr && current_->RunSecondStep(); }

 private:
  Painter* painter_ = nullptr;
  std::array<std::unique_ptr<Screen>, kScreenCount> screens_;
  Screen* current_ = nullptr;
  ScreenDocument* data_ = nullptr;
  bool activationPending_ = false;
  platform::Bitmap backBuffer_;
  bool needsRedraw_ = true;
  ViewHost* host_ = nullptr;
  std::unique_ptr<Navigator> navigator_;
};

}  // namespace kestrova::ui
