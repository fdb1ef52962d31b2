#include "ui/screens/day_choice_screen.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "model/command_ids.h"
#include "model/record_keys.h"
#include "net/catalogue_endpoints.h"
#include "platform/clock.h"
#include "resources/string_table.h"
#include "ui/bars.h"
#include "ui/format_date.h"
#include "ui/painter.h"
#include "ui/screens/channel_programme_screen.h"
#include "ui/screens/list_drawing.h"
#include "ui/skin_image_table.h"

namespace kestrova::ui::screens {
namespace {

constexpr int kTitle = 58;
constexpr std::size_t kDayTextLength = 64;

}  // namespace

DayChoiceScreen::DayChoiceScreen() : CatalogueScreen(kDayChoiceScreen, kDefaultRowsPerPage, true, 0) {}

std::wstring DayChoiceScreen::DayText(std::int64_t date) {
  const std::optional<std::tm> local = platform::LocalTime(static_cast<std::time_t>(date));
  if (!local) return {};
  const std::wstring weekday = resources::Strings().WeekdayName(local->tm_wday + 1);
  wchar_t text[kDayTextLength] = {};
  std::swprintf(text, kDayTextLength, L"%d/%d (%ls)", local->tm_mday, local->tm_mon + 1, weekday.c_str());
  return text;
}

bool DayChoiceScreen::Enter(const ScreenEntry&) {
  const auto* programme = dynamic_cast<const ChannelProgrammeScreen*>(Owner()->GetScreen(kChannelProgrammeScreen));
  channel_ = programme != nullptr ? programme->Channel() : nullptr;
  if (channel_ == nullptr || channel_->programmeDays.empty()) return false;
  shownDate_ = programme->ShownDate();
  chosenDate_ = shownDate_;
  const int count = static_cast<int>(channel_->programmeDays.size());
  int selection = 0;
  for (int i = 0; i < count; ++i) {
    const std::int64_t date = channel_->programmeDays[static_cast<std::size_t>(i)]->date;
    if (net::LocalMidnight(date, 0) == net::LocalMidnight(shownDate_, 0)) selection = i;
  }
  ResetList(count, selection);
  ScrollTo(std::max(selection + rowsPerPage_ > count ? count - rowsPerPage_ : selection, 0));
  if (scrollBar_) scrollBar_->SetFirstRow(firstVisible_);
  return true;
}

void DayChoiceScreen::Choose() {
  if (channel_ == nullptr || selection_ < 0 || static_cast<std::size_t>(selection_) >= channel_->programmeDays.size()) {
    return;
  }
  chosenDate_ = channel_->programmeDays[static_cast<std::size_t>(selection_)]->date;
}

bool DayChoiceScreen::OnKeyDown(int key) {
  const bool handled = CatalogueScreen::OnKeyDown(key);
  if (!popupShown_) Choose();
  return handled;
}

bool DayChoiceScreen::OnPointer(int x, int y, int kind) {
  if (!popupShown_ && kind == kPointerDown) {
    const bool handled = CatalogueScreen::OnPointer(x, y, kind);
    Choose();
    return handled;
  }
  return CatalogueScreen::OnPointer(x, y, kind);
}

void DayChoiceScreen::Activate() {
  Choose();
  if (channel_ == nullptr || selection_ < 0 || static_cast<std::size_t>(selection_) >= channel_->programmeDays.size()) {
    return;  // a stale selection
  }
  CommandParameters parameters;
  parameters.channel = model::KeyOf(Data(), channel_);
  parameters.date = chosenDate_;
  Submit(model::kCommandProgrammeBlocks, parameters);
}

// Back without loading: the day shown stays, whatever the selection chose.
void DayChoiceScreen::Back() {
  chosenDate_ = shownDate_;
  Navigate(kChannelProgrammeScreen);
}

void DayChoiceScreen::OnRequestDone(int command, model::RequestResultPtr result) {
  if (command != model::kCommandProgrammeBlocks || !Succeeded(result)) return;
  Navigate(kChannelProgrammeScreen);
}

void DayChoiceScreen::Draw(Painter& painter, platform::Canvas& target) {
  DrawHeaderById(painter, target, kImageIconCalendar, kTitle, FormatDate(static_cast<std::time_t>(chosenDate_), L"%d/%m"));
  DrawListRows(painter, target, *this, [this](int i, ListRowParts&) -> std::wstring {
    if (channel_ == nullptr || i < 0 || static_cast<std::size_t>(i) >= channel_->programmeDays.size()) return {};
    return DayText(channel_->programmeDays[static_cast<std::size_t>(i)]->date);
  });
  if (scrollBar_) scrollBar_->Draw(target);
  DrawSoftKeyBar(painter, target, itemCount_ > 0 ? kSoftKeySelect : kNoSoftKey, kNoSoftKey, kSoftKeyBack);
}

}  // namespace kestrova::ui::screens
