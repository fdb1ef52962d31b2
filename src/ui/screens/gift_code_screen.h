// Screen 8: the gift-code form. The code is typed into the native edit box;
// one button activates it (a valid code credits the balance and the field
// is cleared, an invalid one shows the server's message), the other fetches
// the balance again, which is shown below the buttons.
#pragma once

#include <string>

#include "ui/form_edit_box.h"
#include "ui/screens/catalogue_screen.h"

namespace kestrova::ui::screens {

class GiftCodeScreen final : public CatalogueScreen {
 public:
  static constexpr int kCodeRow = 0;
  static constexpr int kActivateButton = 1;
  static constexpr int kBalanceButton = 2;

  GiftCodeScreen();

  bool Enter(const ScreenEntry& entry) override;
  void OnRequestDone(int command, model::RequestResultPtr result) override;
  void Draw(Painter& painter, platform::Canvas& target) override;
  void OnCurrentChanged(bool active) override;
  bool IsForm() const override { return true; }

  const std::wstring& Code() const { return fields_.Text(kCodeRow); }

 private:
  static int DrawRow(int selection);
  void Activate() override;
  bool Activatable(int row) const override { return row == kActivateButton || row == kBalanceButton; }
  void Back() override;
  // Keeps what was typed into the box for its row, before it is used.
  void SyncFields();

  FormEditBox fields_;
};

}  // namespace kestrova::ui::screens
