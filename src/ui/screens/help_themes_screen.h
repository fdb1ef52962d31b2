// Screen 20: the help themes, each opening its text once loaded, and a last
// row that opens the feedback form.
#pragma once

#include "ui/screens/catalogue_screen.h"

namespace kestrova::ui::screens {

class HelpThemesScreen final : public CatalogueScreen {
 public:
  HelpThemesScreen();

  bool Enter(const ScreenEntry& entry) override;
  void OnRequestDone(int command, model::RequestResultPtr result) override;
  void Draw(Painter& painter, platform::Canvas& target) override;

  bool IsFeedbackRow(int row) const { return row == itemCount_ - 1; }
  // The theme on the selected row, or null.
  model::HelpThemeRecord* SelectedTheme() const;

 private:
  void Activate() override;
  void Back() override;
};

}  // namespace kestrova::ui::screens
