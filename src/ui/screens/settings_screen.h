// Screen 6, the settings menu: SMS payment (when the set-up listed short
// numbers), gift code, stream quality (chosen with the left and right
// arrows, wrapping), language, location (country and operator) and log out.
// Leaving it stores the quality and saves the settings.
#pragma once

#include <string>

#include "ui/screens/catalogue_screen.h"

namespace kestrova::ui::screens {

class SettingsScreen final : public CatalogueScreen {
 public:
  enum class Row { kPayment, kGiftCode, kQuality, kLanguage, kLocation, kLogOut };

  SettingsScreen();

  bool Enter(const ScreenEntry& entry) override;
  bool OnKeyDown(int key) override;
  void OnPopupKey(int key) override;
  void OnRequestDone(int command, model::RequestResultPtr result) override;
  void Draw(Painter& painter, platform::Canvas& target) override;

  // What the row at `index` is in the current form of the menu.
  Row RowAt(int index) const;
  int ReturnScreen() const { return returnScreen_; }
  // The quality chosen so far (index into the data state's qualities).
  int ChosenQuality() const { return quality_; }

 private:
  bool HasPaymentRow() const { return itemCount_ == 6; }
  void Activate() override;
  void Back() override;
  void StepQuality(int step);
  void LogOut();
  // Saves the settings, goes to `target` and, when the save failed, shows
  // the error pop-up there.
  void SaveAndNavigate(int target);
  std::wstring RowText(Row row) const;

  int returnScreen_ = kMainMenuScreen;
  int quality_ = 0;
  bool saveFailureShown_ = false;
};

}  // namespace kestrova::ui::screens
