#include "ui/screens/location_screen.h"

#include "model/command_ids.h"
#include "ui/bars.h"
#include "ui/painter.h"
#include "ui/screens/list_drawing.h"
#include "ui/skin_image_table.h"

namespace kestrova::ui::screens {
namespace {

constexpr int kCountryTitle = 27;
constexpr int kOperatorTitle = 28;
constexpr int kZoneTitle = 33;

// The index of the first record for which `matches` holds, else of the
// first one marked as the server's default, else 0.
template <typename List, typename Match>
int PreselectedIndex(const List& list, Match matches) {
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (matches(*list[i])) return static_cast<int>(i);
  }
  if constexpr (requires { list.front()->isDefault; }) {
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (list[i]->isDefault != 0) return static_cast<int>(i);
    }
  }
  return 0;
}

}  // namespace

// Zones are a list screen too: a country can have more of them than fit on
// one page.
LocationScreen::LocationScreen(int id) : CatalogueScreen(id, kDefaultRowsPerPage, true, 0) {}

int LocationScreen::ListSize() const {
  const model::DataState& data = Data();
  switch (id_) {
    case kCountryScreen: return static_cast<int>(data.countries.size());
    case kOperatorScreen: return static_cast<int>(data.operators.size());
    default: return static_cast<int>(data.zones.size());
  }
}

int LocationScreen::StoredChoice() const {
  const model::DataState& data = Data();
  const model::SettingsFields& settings = data.settings;
  switch (id_) {
    case kCountryScreen:
      return PreselectedIndex(data.countries, [&](const auto& c) { return c.code == settings.countryCode; });
    case kOperatorScreen:
      return PreselectedIndex(data.operators, [&](const auto& o) { return o.id == settings.operatorId; });
    default: return PreselectedIndex(data.zones, [&](const auto& z) { return z.id == settings.timeZoneId; });
  }
}

std::wstring LocationScreen::ItemText(int index) const {
  if (index < 0 || index >= ListSize()) return {};
  const auto i = static_cast<std::size_t>(index);
  const model::DataState& data = Data();
  switch (id_) {
    case kCountryScreen: return data.countries[i]->name;
    case kOperatorScreen: return data.operators[i]->name;
    default: return data.zones[i]->name;
  }
}

bool LocationScreen::Enter(const ScreenEntry& entry) {
  mode_ = entry.mode;
  ResetList(ListSize(), StoredChoice());
  return true;
}

void LocationScreen::Activate() {
  // The list may have been refilled since the screen was drawn.
  if (selection_ < 0 || selection_ >= ListSize()) return;
  const auto i = static_cast<std::size_t>(selection_);
  model::DataState& data = Data();
  model::SettingsFields& settings = data.settings;
  switch (id_) {
    case kCountryScreen:
      settings.countryCode = data.countries[i]->code;
      settings.countryName = data.countries[i]->name;
      Submit(model::kCommandOperators);
      break;
    case kOperatorScreen:
      settings.operatorId = data.operators[i]->id;
      settings.operatorName = data.operators[i]->name;
      Submit(model::kCommandZones);
      break;
    default:
      settings.timeZoneId = data.zones[i]->id;
      settings.timeZoneShift = data.zones[i]->shift;
      Submit(mode_ == kModeSettings ? model::kCommandSetupAfterLocation : model::kCommandSetupAndCatalogue);
      break;
  }
}

void LocationScreen::Back() {
  switch (id_) {
    case kCountryScreen:
      if (mode_ == kModeSettings) {
        Navigate(kSettingsScreen);
      } else {
        Data().settings.countryCode.clear();
        Data().settings.countryName.clear();
        Navigate(kLoginScreen);
      }
      break;
    case kOperatorScreen: Navigate(kCountryScreen); break;
    default: Navigate(kOperatorScreen); break;
  }
}

void LocationScreen::OnRequestDone(int command, model::RequestResultPtr result) {
  const bool mine = (id_ == kCountryScreen && command == model::kCommandOperators) ||
                    (id_ == kOperatorScreen && command == model::kCommandZones) ||
                    (id_ == kZoneScreen && (command == model::kCommandSetupAndCatalogue ||
                                            command == model::kCommandSetupAfterLocation));
  if (!mine || !Succeeded(result)) return;
  switch (command) {
    case model::kCommandOperators: Navigate(kOperatorScreen); break;
    case model::kCommandZones: Navigate(kZoneScreen); break;
    case model::kCommandSetupAndCatalogue: Navigate(kMainMenuScreen); break;
    default: Navigate(kSettingsScreen); break;
  }
}

void LocationScreen::Draw(Painter& painter, platform::Canvas& target) {
  const int icon = id_ == kZoneScreen ? kImageIconCalendar : kImageIconOperator;
  const int title = id_ == kCountryScreen ? kCountryTitle : id_ == kOperatorScreen ? kOperatorTitle : kZoneTitle;
  DrawHeaderById(painter, target, icon, title, L"");
  DrawListRows(painter, target, *this, [this](int i, ListRowParts&) { return ItemText(i); });
  if (scrollBar_) scrollBar_->Draw(target);
  DrawSoftKeyBar(painter, target, itemCount_ > 0 ? kSoftKeySelect : kNoSoftKey, kNoSoftKey, kSoftKeyBack);
}

}  // namespace kestrova::ui::screens
