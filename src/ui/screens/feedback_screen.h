// Screen 19: a message to the service's operator, with an e-mail address
// and a phone number for the answer, each typed into the native edit box.
// An empty message is refused here; a sent one is acknowledged with the
// server's answer, whose key leads to the main menu.
#pragma once

#include <string>

#include "ui/form_edit_box.h"
#include "ui/screens/catalogue_screen.h"

namespace kestrova::ui::screens {

class FeedbackScreen final : public CatalogueScreen {
 public:
  static constexpr int kEmailRow = 0;
  static constexpr int kPhoneRow = 1;
  static constexpr int kTextRow = 2;
  static constexpr int kSendButton = 3;

  FeedbackScreen();

  // Remembers where the back key leads (messages or help).
  bool Enter(const ScreenEntry& entry) override;
  void OnPopupKey(int key) override;
  void OnRequestDone(int command, model::RequestResultPtr result) override;
  void Draw(Painter& painter, platform::Canvas& target) override;
  void OnCurrentChanged(bool active) override;
  bool IsForm() const override { return true; }

  const std::wstring& Text(int row) const { return fields_.Text(row); }
  int ReturnScreen() const { return returnScreen_; }

 private:
  static int DrawRow(int selection);
  void Activate() override;
  bool Activatable(int row) const override { return row == kSendButton; }
  void Back() override;
  void SyncFields();

  FormEditBox fields_;
  int returnScreen_ = kMessagesScreen;
  bool acknowledgementShown_ = false;
};

}  // namespace kestrova::ui::screens
