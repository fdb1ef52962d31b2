// What the widget framework asks of the view that shows it.
#pragma once

#include <cstdint>
#include <functional>

namespace kestrova::ui {

class ViewPlayer;

class ViewHost {
 public:
  // Removes every ticker (change of screen).
  virtual void ClearTickers() = 0;
  // Tells the view whether a pop-up is up (it suspends the tickers).
  virtual void SetPopupShown(bool shown) = 0;
  // Hides the text-entry box and gives the keyboard focus back to the view.
  virtual void HideEditBox() = 0;
  // Invalidates the whole view and repaints it at once.
  virtual void InvalidateAndUpdate() = 0;
  // Stops and destroys the player, when there is one (leaving the player).
  virtual void DeletePlayer() = 0;
  // Replaces the player by a new one attached to the view (entering the
  // player screen); without a player subsystem there is none. False when a
  // player was made but could not be attached (its video surface could not
  // be created): there is no player then.
  [[nodiscard]] virtual bool CreatePlayer() = 0;
  // The player while there is one, else null.
  virtual ViewPlayer* Player() const = 0;
  // While the automatic login of a stored account runs, the login form
  // shows no edit box.
  virtual void SetAutomaticLogin(bool running) = 0;
  virtual bool AutomaticLogin() const = 0;
  // Runs `step` once on the user-interface thread when `delayMs` have passed
  // (one of the view's timers; never inside this call). Setting another step
  // replaces one not yet run; CancelDelayedStep drops it.
  virtual void SetDelayedStep(std::uint32_t delayMs, std::function<void()> step) = 0;
  virtual void CancelDelayedStep() = 0;

 protected:
  ViewHost() = default;
  ViewHost(const ViewHost&) = default;
  ViewHost& operator=(const ViewHost&) = default;
  ~ViewHost() = default;
};

}  // namespace kestrova::ui
