#include "ui/screens/login_screen.h"

#include <algorithm>
#include <cstdio>

#include "model/command_ids.h"
#include "net/version_endpoint.h"
#include "resources/string_table.h"
#include "ui/bars.h"
#include "ui/entry_edit.h"
#include "ui/labels.h"
#include "ui/painter.h"
#include "ui/screens/list_drawing.h"
#include "ui/skin_image_table.h"
#include "ui/ticker.h"
#include "ui/view_host.h"

namespace kestrova::ui::screens {
namespace {

constexpr int kTitle = 13;
constexpr int kLoginCaption = 3;
constexpr int kPasswordCaption = 4;
constexpr int kLoginButtonText = 6;
constexpr int kRegisterButtonText = 8;
constexpr int kWelcomeText = 120;
constexpr int kKeyDownload = 42;
constexpr int kKeyContinue = 19;
constexpr int kRowCount = 4;
constexpr int kFieldInset = 28;
constexpr const wchar_t* kNoUpdate = L"none";
constexpr const wchar_t* kRecommendedUpdate = L"recommended";

}  // namespace

LoginScreen::LoginScreen()
    : CatalogueScreen(kLoginScreen, kRowCount, false, kRowCount),
      fields_({{kLoginRow, DrawRow(kLoginRow), false, L""}, {kPasswordRow, DrawRow(kPasswordRow), true, L""}}) {
  rows_.clear();
  for (int selection = 0; selection < kRowCount; ++selection) {
    const int top = RowTop(DrawRow(selection));
    rows_.push_back({0, top, 240, top + kRowHeight, true});
  }
}

int LoginScreen::DrawRow(int selection) {
  // Rows at y = 64, 128, 160 and 192; each input has its caption above it.
  constexpr int kRows[kRowCount] = {1, 3, 4, 5};
  return kRows[std::clamp(selection, 0, kRowCount - 1)];
}

void LoginScreen::SetCredentials(std::wstring_view login, std::wstring_view password) {
  EntryEdit* edit = Owner() != nullptr && Owner()->GetPainter() != nullptr ? Owner()->GetPainter()->Edit() : nullptr;
  if (edit == nullptr) return;
  fields_.SetText(*edit, kLoginRow, login);
  fields_.SetText(*edit, kPasswordRow, password);
  if (Owner() != nullptr) Owner()->SetNeedsRedraw();
}

void LoginScreen::ShowWelcome() {
  selection_ = kRegisterButton;
  popup_ = PopupKind::kWelcome;
  ShowPopupById(true, kNoticeTitle, resources::Strings().Get(kWelcomeText), kKeyConfirm, kKeyDecline);
}

void LoginScreen::Refresh(const ScreenEntry&) {
  if (popup_ == PopupKind::kWelcome && popupShown_) ShowWelcome();
}

void LoginScreen::SyncFields() {
  Painter* painter = Owner() != nullptr ? Owner()->GetPainter() : nullptr;
  if (painter == nullptr || painter->Edit() == nullptr) return;
  const bool automatic = Owner()->Host() != nullptr && Owner()->Host()->AutomaticLogin();
  fields_.OnCurrentChanged(*painter->Edit(), true, selection_, popupShown_, automatic, painter->ScreenWidth());
}

void LoginScreen::SubmitLogin() {
  SyncFields();
  const model::SettingsFields& settings = Data().settings;
  const bool hasLocation = !settings.countryCode.empty() && settings.timeZoneId >= 0;
  CommandParameters parameters;
  parameters.login = LoginText();
  parameters.password = PasswordText();
  Submit(hasLocation ? model::kCommandLoginWithLocation : model::kCommandLoginAndCountries, std::move(parameters));
}

void LoginScreen::Activate() {
  SyncFields();
  if (selection_ == kLoginButton) Submit(model::kCommandVersion);
  if (selection_ == kRegisterButton) Submit(model::kCommandNewUser);
}

void LoginScreen::Back() { Shutdown(); }

void LoginScreen::OnPopupKey(int key) {
  const PopupKind kind = popup_;
  popup_ = PopupKind::kNone;
  ClosePopup();
  if (kind == PopupKind::kWelcome) {
    if (key == kKeyLeftSoft) Submit(model::kCommandNewUser);
    return;
  }
  if (kind != PopupKind::kUpdate) return;
  if (key == kKeyLeftSoft) {
    // The program ends either way; without a browser the log says where the
    // new version is.
    if (!net::LaunchBrowser(Data().updateLink)) {
      std::fprintf(stderr, "Kestrova: no browser could be started for the update at %ls\n",
                   Data().updateLink.c_str());
    }
    Shutdown();
  } else if (updateRequired_) {
    Shutdown();
  } else {
    SubmitLogin();
  }
}

void LoginScreen::OnVersion() {
  const model::DataState& data = Data();
  if (data.updateKind == kNoUpdate) {
    SubmitLogin();
    return;
  }
  updateRequired_ = data.updateKind != kRecommendedUpdate;
  popup_ = PopupKind::kUpdate;
  if (updateRequired_) {
    ShowPopupById(true, kPopupErrorTitle, data.updateMessage, kKeyDownload, kSoftKeyExit);
  } else {
    ShowPopupById(true, kNoticeTitle, data.updateMessage, kKeyDownload, kKeyContinue);
  }
}

void LoginScreen::OnRequestDone(int command, model::RequestResultPtr result) {
  const bool login = command == model::kCommandLoginAndCountries || command == model::kCommandLoginWithLocation;
  if (!login && command != model::kCommandNewUser && command != model::kCommandVersion) return;
  if (login && Owner()->Host() != nullptr) Owner()->Host()->SetAutomaticLogin(false);
  if (!Succeeded(result)) {
    OnCurrentChanged(true);  // the edit box comes back for the form
    return;
  }
  switch (command) {
    case model::kCommandLoginAndCountries: Navigate(kCountryScreen); break;
    case model::kCommandLoginWithLocation: Navigate(kMainMenuScreen); break;
    case model::kCommandNewUser:
      SetCredentials(Data().settings.login, Data().settings.password);
      if (Owner()->Host() != nullptr) Owner()->Host()->InvalidateAndUpdate();
      Submit(model::kCommandVersion);
      break;
    default: OnVersion(); break;
  }
}

void LoginScreen::Draw(Painter& painter, platform::Canvas& target) {
  DrawHeaderById(painter, target, kNoIcon, kTitle, L"");
  const int width = painter.ScreenWidth();
  const int captions[] = {kLoginCaption, kPasswordCaption};
  for (int field = kLoginRow; field <= kPasswordRow; ++field) {
    const int row = DrawRow(field);
    const int captionTop = RowTop(row - 1);
    DrawLabel(painter, target, resources::Strings().Get(captions[field]),
              {kBarMargin, captionTop, width - kBarMargin, captionTop + kRowHeight}, kLabelBottom, painter.FontText(),
              kWhite, 0, false);
    DrawImage(painter, target, selection_ == field ? kImageFormSelInput : kImageFormUnselInput, 0, RowTop(row) + 1);
    std::wstring shown = fields_.Text(field);
    if (field == kPasswordRow) shown.assign(shown.size(), kPasswordChar);
    DrawLabel(painter, target, shown, {kFieldInset, RowTop(row) + 1, width - kFieldInset, RowTop(row) + kRowHeight - 1},
              kLabelLeft, painter.FontText(), kBlack, 0, false);
  }
  DrawButtonRow(painter, target, DrawRow(kLoginButton), resources::Strings().Get(kLoginButtonText),
                selection_ == kLoginButton, kTickerFirstRow);
  DrawButtonRow(painter, target, DrawRow(kRegisterButton), resources::Strings().Get(kRegisterButtonText),
                selection_ == kRegisterButton, kTickerFirstRow + 1);
  DrawSoftKeyBar(painter, target, selection_ >= kLoginButton ? kSoftKeySelect : kNoSoftKey, kNoSoftKey, kSoftKeyExit);
}

void LoginScreen::OnCurrentChanged(bool active) {
  Painter* painter = Owner() != nullptr ? Owner()->GetPainter() : nullptr;
  if (painter == nullptr || painter->Edit() == nullptr) return;
  const bool automatic = Owner()->Host() != nullptr && Owner()->Host()->AutomaticLogin();
  fields_.OnCurrentChanged(*painter->Edit(), active, selection_, popupShown_, automatic, painter->ScreenWidth());
}

}  // namespace kestrova::ui::screens
