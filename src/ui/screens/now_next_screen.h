// Screen 22: the programme entries now on air ("last") or coming next
// ("next") for the channel of the channel screen, as the last answer gave
// them; an entry opens its details.
#pragma once

#include "ui/screens/catalogue_screen.h"

namespace kestrova::ui::screens {

class NowNextScreen final : public CatalogueScreen {
 public:
  static constexpr int kModeLast = 0;
  static constexpr int kModeNext = 1;

  NowNextScreen();

  // Fills the list from the answer just received.
  void Rebuild(int mode);
  void Draw(Painter& painter, platform::Canvas& target) override;

  int Mode() const { return mode_; }
  // The entry the selection is on, or null.
  model::ProgrammeElement* SelectedEntry() const;

 private:
  void Activate() override;
  void Back() override;

  int mode_ = kModeLast;
};

}  // namespace kestrova::ui::screens
