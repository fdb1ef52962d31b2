// Screen 0, the language choice: one row per language in the order of the
// language index. At the first start it leads to the login form (its back
// key ends the program); from the settings it changes the language on the
// server too, and its back key restores the language it found.
#pragma once

#include "ui/screens/catalogue_screen.h"

namespace kestrova::ui::screens {

class LanguageScreen final : public CatalogueScreen {
 public:
  LanguageScreen();

  bool Enter(const ScreenEntry& entry) override;
  void OnRequestDone(int command, model::RequestResultPtr result) override;
  void Draw(Painter& painter, platform::Canvas& target) override;

  int EntryMode() const override { return mode_; }

 private:
  void Activate() override;
  void Back() override;
  void ApplyLanguage(int language);

  int mode_ = kModeFirstStart;
  int languageAtEntry_ = 1;
};

}  // namespace kestrova::ui::screens
