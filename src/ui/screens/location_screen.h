// Screens 2, 3 and 4: the country, mobile operator and time-zone lists of
// the data state, each with the stored choice preselected. Choosing a
// country loads its operators, choosing an operator loads the zones, and
// choosing a zone sets the session up: for a new account (registration
// mode) it leads to the main menu, from the settings back to them.
#pragma once

#include <string>

#include "ui/screens/catalogue_screen.h"

namespace kestrova::ui::screens {

class LocationScreen final : public CatalogueScreen {
 public:
  explicit LocationScreen(int id);

  bool Enter(const ScreenEntry& entry) override;
  void OnRequestDone(int command, model::RequestResultPtr result) override;
  void Draw(Painter& painter, platform::Canvas& target) override;

  int EntryMode() const override { return mode_; }

 private:
  int ListSize() const;
  int StoredChoice() const;  // index of the stored choice, 0 when none
  std::wstring ItemText(int index) const;
  void Activate() override;
  void Back() override;

  int mode_ = kModeRegistration;
};

}  // namespace kestrova::ui::screens
