#include "ui/screens/settings_screen.h"

#include <algorithm>

#include "model/command_ids.h"
#include "resources/format_text.h"
#include "resources/string_table.h"
#include "ui/bars.h"
#include "ui/painter.h"
#include "ui/screens/list_drawing.h"
#include "ui/skin_image_table.h"
#include "ui/ticker.h"

namespace kestrova::ui::screens {
namespace {

constexpr int kTitle = 1;
constexpr int kHeaderRight = 13;  // a format that may place the login
constexpr int kPaymentText = 117;
constexpr int kGiftCodeText = 14;
constexpr int kQualityText = 38;
constexpr int kLanguageText = 9;
constexpr int kLocationText = 118;
constexpr int kLogOutText = 116;
constexpr int kSaveFailedText = 138;  // the settings could not be written
constexpr int kShortRowCount = 5;
constexpr int kLongRowCount = 6;

}  // namespace

SettingsScreen::SettingsScreen() : CatalogueScreen(kSettingsScreen, kDefaultRowsPerPage, false, kShortRowCount) {
  ResetList(kShortRowCount);
}

SettingsScreen::Row SettingsScreen::RowAt(int index) const {
  const int row = HasPaymentRow() ? index : index + 1;
  return static_cast<Row>(std::clamp(row, 0, static_cast<int>(Row::kLogOut)));
}

bool SettingsScreen::Enter(const ScreenEntry& entry) {
  if (entry.returnScreen >= 0) returnScreen_ = entry.returnScreen;
  const model::DataState& data = Data();
  const int count = data.shortNumbers.empty() ? kShortRowCount : kLongRowCount;
  int selection = selection_;
  // The selection stays on its row when the payment row comes or goes.
  if (count > itemCount_) ++selection;
  if (count < itemCount_) --selection;
  quality_ = 0;
  for (std::size_t i = 0; i < data.qualities.size(); ++i) {
    if (data.qualities[i]->id == data.settings.qualityId) quality_ = static_cast<int>(i);
  }
  ResetList(count, selection);
  Owner()->SetNeedsRedraw();
  return true;
}

void SettingsScreen::StepQuality(int step) {
  const int count = static_cast<int>(Data().qualities.size());
  if (count == 0) return;
  quality_ = ((quality_ + step) % count + count) % count;
}

void SettingsScreen::Activate() {
  switch (RowAt(selection_)) {
    case Row::kPayment: Navigate(kPaymentScreen); break;
    case Row::kGiftCode: Navigate(kGiftCodeScreen); break;
    case Row::kQuality: break;
    case Row::kLanguage: Navigate(kLanguageScreen); break;
    case Row::kLocation: Submit(model::kCommandCountries); break;
    case Row::kLogOut:
      ShowPopupById(true, kNoticeTitle, resources::Strings().Get(kLogOutText), kKeyConfirm, kKeyDecline);
      break;
  }
}

void SettingsScreen::LogOut() {
  // The account is forgotten on this device: the next start does not log it
  // in again by itself. The form keeps what it shows, to log in again.
  model::DataState& data = Data();
  data.settings.login.clear();
  data.settings.password.clear();
  data.userId = 0;
  data.sessionKey.clear();
  SaveAndNavigate(kLoginScreen);
}

bool SettingsScreen::OnKeyDown(int key) {
  if (CatalogueScreen::OnKeyDown(key)) return true;
  const Row row = RowAt(selection_);
  if (row == Row::kQuality && (key == kKeyLeft || key == kKeyRight)) {
    StepQuality(key == kKeyLeft ? -1 : 1);
    return true;
  }
  if (key == kKeyRight && (row == Row::kPayment || row == Row::kGiftCode)) {
    Activate();
    return true;
  }
  return false;
}

void SettingsScreen::Back() {
  model::DataState& data = Data();
  if (quality_ >= 0 && static_cast<std::size_t>(quality_) < data.qualities.size()) {
    data.settings.qualityId = data.qualities[static_cast<std::size_t>(quality_)]->id;
  }
  SaveAndNavigate(kMainMenuScreen);
}

void SettingsScreen::SaveAndNavigate(int target) {
  const platform::Status saved = Document().SaveSettings();
  Navigate(target);
  // Told once until a save succeeds again: the values stay pending and go
  // out with the next save, so repeating the pop-up on every exit from this
  // menu would add nothing.
  if (saved) {
    saveFailureShown_ = false;
    return;
  }
  if (saveFailureShown_) return;
  saveFailureShown_ = true;
  if (Screen* next = Owner()->Current()) {
    next->ShowPopupById(false, kPopupErrorTitle, resources::Strings().Get(kSaveFailedText), kNoKey, kNoKey);
  }
}

void SettingsScreen::OnPopupKey(int key) {
  ClosePopup();
  if (key == kKeyLeftSoft) LogOut();
}

void SettingsScreen::OnRequestDone(int command, model::RequestResultPtr result) {
  if (command != model::kCommandCountries && command != model::kCommandLanguageSettings &&
      command != model::kCommandSetupCatalogueVideos) {
    return;
  }
  if (!Succeeded(result)) return;
  Navigate(command == model::kCommandCountries ? kCountryScreen : returnScreen_);
}

std::wstring SettingsScreen::RowText(Row row) const {
  const resources::StringTable& strings = resources::Strings();
  switch (row) {
    case Row::kPayment: return strings.Get(kPaymentText);
    case Row::kGiftCode: return strings.Get(kGiftCodeText);
    case Row::kQuality: return strings.Get(kQualityText);
    case Row::kLanguage: return strings.Get(kLanguageText);
    case Row::kLocation: return strings.Get(kLocationText);
    case Row::kLogOut: return strings.Get(kLogOutText);
  }
  return {};
}

void SettingsScreen::Draw(Painter& painter, platform::Canvas& target) {
  const model::DataState& data = Data();
  DrawHeaderById(painter, target, kImageIconSettings, kTitle,
                 resources::FormatText(resources::Strings().Get(kHeaderRight), {data.settings.login}));
  std::wstring value;
  const int last = std::min(itemCount_, rowsPerPage_);
  for (int i = 0; i < last; ++i) {
    const Row row = RowAt(i);
    const bool selected = i == selection_;
    if (row == Row::kLogOut) {
      DrawButtonRow(painter, target, i, RowText(row), selected, kTickerFirstRow + i);
      continue;
    }
    ListRowParts parts;
    switch (row) {
      case Row::kPayment:
      case Row::kGiftCode: parts.leftIcon = kImageIconMoney; parts.rightIcon = kImageArrowRight; break;
      case Row::kQuality:
        parts.leftIcon = kImageIconQuality;
        value.clear();
        if (static_cast<std::size_t>(quality_) < data.qualities.size()) {
          value = L"< " + data.qualities[static_cast<std::size_t>(quality_)]->name + L" >";
        }
        parts.rightText = value;
        break;
      case Row::kLanguage: parts.leftIcon = kImageIconLanguage; parts.rightIcon = kImageArrowRight; break;
      case Row::kLocation:
        parts.leftIcon = kImageIconOperator;
        parts.rightIcon = kImageArrowRight;
        break;
      case Row::kLogOut: break;
    }
    // The location row shows the chosen country and operator themselves
    // (its label only until there are some): both names rarely fit beside
    // a label in the narrow screen.
    std::wstring text = RowText(row);
    if (row == Row::kLocation && !data.settings.countryName.empty()) {
      text = resources::FormatText(L"%s, %s", {data.settings.countryName, data.settings.operatorName});
    }
    DrawListRow(painter, target, i, text, selected, kTickerFirstRow + i, parts);
  }
  DrawSoftKeyBar(painter, target, kSoftKeySelect, kNoSoftKey, kSoftKeyBack);
}

}  // namespace kestrova::ui::screens
