// Screen 1, the login form: the login and password inputs under the native
// edit box, the log-in and register buttons. Logging in checks the version
// first (a recommended update can be skipped, a required one only
// downloaded), then logs in with the stored location or goes on to choose
// one. Registering fills the form with the new account and logs it in.
#pragma once

#include <string>
#include <string_view>

#include "ui/form_edit_box.h"
#include "ui/screens/catalogue_screen.h"

namespace kestrova::ui::screens {

class LoginScreen final : public CatalogueScreen {
 public:
  static constexpr int kLoginRow = 0;
  static constexpr int kPasswordRow = 1;
  static constexpr int kLoginButton = 2;
  static constexpr int kRegisterButton = 3;

  LoginScreen();

  // The stored credentials into the form (start-up, registration).
  void SetCredentials(std::wstring_view login, std::wstring_view password);
  // The welcome pop-up of a first start, offering to register.
  void ShowWelcome();
  // Logs in with the form's credentials: with the stored location when the
  // account has one, else on to the country list.
  void SubmitLogin();

  // After the language was chosen at the first start, the welcome pop-up
  // speaks it.
  void Refresh(const ScreenEntry& entry) override;
  void OnPopupKey(int key) override;
  void OnRequestDone(int command, model::RequestResultPtr result) override;
  void Draw(Painter& painter, platform::Canvas& target) override;
  void OnCurrentChanged(bool active) override;
  bool IsForm() const override { return true; }

  const std::wstring& LoginText() const { return fields_.Text(kLoginRow); }
  const std::wstring& PasswordText() const { return fields_.Text(kPasswordRow); }

 private:
  enum class PopupKind { kNone, kWelcome, kUpdate };

  static int DrawRow(int selection);
  void Activate() override;
  bool Activatable(int row) const override { return row == kLoginButton || row == kRegisterButton; }
  void Back() override;
  void OnVersion();
  // Keeps what was typed into the box for its row, before it is used.
  void SyncFields();

  FormEditBox fields_;
  PopupKind popup_ = PopupKind::kNone;
  bool updateRequired_ = false;
};

}  // namespace kestrova::ui::screens
