// The common ground of the program's screens: the way into a screen (its
// entry operation, with what the move that opens it knows), the document and
// the data state, submitting commands, moving on, and the common rule for
// results (a failed one shows the error pop-up and changes nothing).
#pragma once

#include "model/data_state.h"
#include "model/request_result.h"
#include "ui/screen.h"
#include "ui/screen_document.h"
#include "ui/screen_manager.h"

namespace kestrova::ui::screens {

// Modes of the screens reached from two places.
constexpr int kModeFirstStart = 0;    // the language and location screens during registration
constexpr int kModeRegistration = 0;
constexpr int kModeSettings = 1;      // the same screens opened from the settings menu

// What a move hands to the screen it opens.
struct ScreenEntry {
  int from = -1;           // the screen the move starts on
  int mode = 0;            // kModeRegistration / kModeFirstStart or kModeSettings
  bool notices = false;    // the main menu starts its notice queue
  int returnScreen = -1;   // where the screen's back key leads, for screens reached from several places
};

class CatalogueScreen : public Screen {
 public:
  using Screen::Screen;

  // The entry operation: fills the screen from the data state. False when
  // the move cannot happen (nothing valid to show); the current screen then
  // stays.
  virtual bool Enter(const ScreenEntry& entry);
  // Brings a screen that is switched to (not re-entered) up to date with the
  // data state; most screens have nothing to do.
  virtual void Refresh(const ScreenEntry& entry);
  // The mode the screen was entered in; the next screen of a registration
  // or settings sequence is entered in the same one.
  virtual int EntryMode() const { return kModeRegistration; }

  // The list pattern: a tap selects a row and its release activates it,
  // the action key activates the selected row, the right soft key goes back.
  bool OnPointer(int x, int y, int kind) override;
  bool OnKeyDown(int key) override;
  bool OnKeyUp(int key) override;

 protected:
  ScreenDocument& Document() const;
  model::DataState& Data() const;
  // Submits a command for this screen.
  void Submit(int command, CommandParameters parameters = {}, bool waiter = true);
  void Navigate(int target);
  void Shutdown();
  // The common result rule: false (after showing the error pop-up with the
  // result's message) when the result failed, false without a pop-up when
  // there is none.
  bool Succeeded(const model::RequestResultPtr& result);
  // Rows, selection and first row from the start, and a fresh scroll bar.
  void ResetList(int itemCount, int selection = 0);

  // What activating the selected row does, which rows can be activated,
  // and where the back key leads.
  virtual void Activate() {}
  virtual bool Activatable(int row) const { return row >= 0 && row < itemCount_; }
  virtual void Back() {}
};

}  // namespace kestrova::ui::screens
