#include "ui/screens/language_screen.h"

#include <array>

#include "model/command_ids.h"
#include "resources/string_table.h"
#include "ui/bars.h"
#include "ui/painter.h"
#include "ui/screens/list_drawing.h"
#include "ui/skin_image_table.h"

namespace kestrova::ui::screens {
namespace {

constexpr int kTitle = 9;
constexpr int kLanguageCount = 4;
// The language names in the order of the language index 1 to 4.
constexpr std::array<int, kLanguageCount> kLanguageNames = {11, 10, 98, 100};

}  // namespace

LanguageScreen::LanguageScreen() : CatalogueScreen(kLanguageScreen, kDefaultRowsPerPage, false, kLanguageCount) {
  ResetList(kLanguageCount);
}

bool LanguageScreen::Enter(const ScreenEntry& entry) {
  mode_ = entry.mode;
  languageAtEntry_ = resources::Strings().Language();
  // From the settings the stored choice, at a first start the language the
  // texts are shown in (the session's).
  const int language = mode_ == kModeSettings ? Data().settings.languageId : languageAtEntry_;
  ResetList(kLanguageCount, language >= 1 && language <= kLanguageCount ? language - 1 : 0);
  return true;
}

void LanguageScreen::ApplyLanguage(int language) {
  resources::Strings().SetLanguage(language);
  Data().settings.languageId = language;
}

void LanguageScreen::Activate() {
  if (selection_ < 0 || selection_ >= kLanguageCount) return;
  ApplyLanguage(selection_ + 1);
  if (mode_ == kModeSettings) {
    Submit(model::kCommandLanguageSettings);
  } else {
    Navigate(kLoginScreen);
  }
}

void LanguageScreen::Back() {
  if (mode_ == kModeSettings) {
    ApplyLanguage(languageAtEntry_);
    Navigate(kSettingsScreen);
  } else {
    Shutdown();
  }
}

void LanguageScreen::OnRequestDone(int command, model::RequestResultPtr result) {
  if (command != model::kCommandLanguageSettings) return;
  if (Succeeded(result)) Navigate(kSettingsScreen);
}

void LanguageScreen::Draw(Painter& painter, platform::Canvas& target) {
  DrawHeaderById(painter, target, kImageIconLanguage, kTitle, L"");
  DrawListRows(painter, target, *this, [](int i, ListRowParts&) {
    return resources::Strings().Get(kLanguageNames[static_cast<std::size_t>(i)]);
  });
  DrawSoftKeyBar(painter, target, kSoftKeySelect, kNoSoftKey, mode_ == kModeSettings ? kSoftKeyBack : kSoftKeyExit);
}

}  // namespace kestrova::ui::screens
