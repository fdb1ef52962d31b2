// The rules by which the screen manager changes screens: which screen opens
// first, and what each move from the current screen to another one does.
// The screens themselves supply them (they know one another); the manager
// only asks.
#pragma once

namespace kestrova::ui {

class ScreenManager;

class Navigator {
 public:
  virtual ~Navigator() = default;

  // Chooses and fills the first screen; runs once, after the painter exists.
  virtual void Start(ScreenManager& manager) = 0;
  // Moves from the current screen to `target` as the transition table says;
  // a move the table does not list changes nothing.
  virtual void Navigate(ScreenManager& manager, int target) = 0;

 protected:
  Navigator() = default;
  Navigator(const Navigator&) = default;
  Navigator& operator=(const Navigator&) = default;
};

}  // namespace kestrova::ui
