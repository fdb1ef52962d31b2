#include "ui/screens/help_themes_screen.h"

#include <algorithm>

#include "model/command_ids.h"
#include "resources/string_table.h"
#include "ui/bars.h"
#include "ui/painter.h"
#include "ui/rows.h"
#include "ui/screens/list_drawing.h"
#include "ui/skin_image_table.h"
#include "ui/ticker.h"

namespace kestrova::ui::screens {
namespace {

constexpr int kTitle = 89;
constexpr int kFeedbackText = 62;

}  // namespace

HelpThemesScreen::HelpThemesScreen() : CatalogueScreen(kHelpThemesScreen, kDefaultRowsPerPage, true, 3) {}

bool HelpThemesScreen::Enter(const ScreenEntry&) {
  ResetList(static_cast<int>(Data().helpThemes.size()) + 1);
  return true;
}

model::HelpThemeRecord* HelpThemesScreen::SelectedTheme() const {
  const auto& themes = Data().helpThemes;
  if (selection_ < 0 || static_cast<std::size_t>(selection_) >= themes.size()) return nullptr;
  return themes[static_cast<std::size_t>(selection_)].get();
}

void HelpThemesScreen::Activate() {
  if (IsFeedbackRow(selection_)) {
    Navigate(kFeedbackScreen);
    return;
  }
  if (SelectedTheme() == nullptr) return;  // a stale selection
  CommandParameters parameters;
  parameters.index = selection_;
  Submit(model::kCommandHelpTexts, parameters);
}

void HelpThemesScreen::Back() { Navigate(kMainMenuScreen); }

void HelpThemesScreen::OnRequestDone(int command, model::RequestResultPtr result) {
  if (command != model::kCommandHelpTexts || !Succeeded(result)) return;
  // The selection cannot move while the texts load: the text screen opens
  // with the theme on it.
  Navigate(kHelpTextScreen);
}

void HelpThemesScreen::Draw(Painter& painter, platform::Canvas& target) {
  DrawHeaderById(painter, target, kNoIcon, kTitle, L"");
  const auto& themes = Data().helpThemes;
  const int last = std::min(firstVisible_ + rowsPerPage_, itemCount_);
  for (int i = firstVisible_; i < last; ++i) {
    const int row = i - firstVisible_;
    const bool selected = i == selection_;
    if (IsFeedbackRow(i)) {
      DrawButtonRow(painter, target, row, resources::Strings().Get(kFeedbackText), selected, kTickerFirstRow + row);
      continue;
    }
    if (static_cast<std::size_t>(i) >= themes.size()) break;
    ListRowParts parts;
    parts.leftIcon = kImageIconFolder;
    DrawListRow(painter, target, row, themes[static_cast<std::size_t>(i)]->name, selected, kTickerFirstRow + row,
                parts);
  }
  if (scrollBar_) scrollBar_->Draw(target);
  DrawSoftKeyBar(painter, target, kSoftKeySelect, kNoSoftKey, kSoftKeyBack);
}

}  // namespace kestrova::ui::screens
