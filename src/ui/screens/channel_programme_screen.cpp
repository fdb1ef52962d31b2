#include "ui/screens/channel_programme_screen.h"

#include <algorithm>

#include "model/command_ids.h"
#include "model/record_keys.h"
#include "net/catalogue_endpoints.h"
#include "ui/bars.h"
#include "ui/painter.h"
#include "ui/screens/channel_screen.h"
#include "ui/screens/day_choice_screen.h"
#include "ui/screens/list_drawing.h"
#include "ui/skin_image_table.h"

namespace kestrova::ui::screens {
namespace {

constexpr int kTitle = 0;
constexpr int kSoftDays = 58;
constexpr std::wstring_view kNoStart = L"00:00";

}  // namespace

model::ProgrammeDay* DayOf(model::CatalogueItem& channel, std::int64_t date) {
  const std::int64_t midnight = net::LocalMidnight(date, 0);
  for (auto& day : channel.programmeDays) {
    if (net::LocalMidnight(day->date, 0) == midnight) return day.get();
  }
  return nullptr;
}

ChannelProgrammeScreen::ChannelProgrammeScreen() : CatalogueScreen(kChannelProgrammeScreen, kDefaultRowsPerPage, true, 0) {}

bool ChannelProgrammeScreen::Enter(const ScreenEntry&) {
  const auto* channelScreen = dynamic_cast<const ChannelScreen*>(Owner()->GetScreen(kChannelScreen));
  model::CatalogueItem* channel = channelScreen != nullptr ? channelScreen->Channel() : nullptr;
  if (channel == nullptr) return false;
  ShowDay(*channel, Document().ServerNow());
  return true;
}

void ChannelProgrammeScreen::Refresh(const ScreenEntry&) {
  const auto* days = dynamic_cast<const DayChoiceScreen*>(Owner()->GetScreen(kDayChoiceScreen));
  if (days == nullptr || channel_ == nullptr) return;
  if (net::LocalMidnight(days->ChosenDate(), 0) != net::LocalMidnight(shownDate_, 0)) {
    ShowDay(*channel_, days->ChosenDate());
  }
}

void ChannelProgrammeScreen::ShowDay(model::CatalogueItem& channel, std::int64_t date) {
  channel_ = &channel;
  shownDate_ = date;
  day_ = DayOf(channel, date);
  const int count = day_ != nullptr ? static_cast<int>(day_->blocks.size()) : 0;
  const std::int64_t now = Document().ServerNow();
  int selection = 0;
  if (day_ != nullptr && count > 0 && DayOf(channel, now) == day_) {
    // Today: the last block that has started (the last one when all have).
    for (int i = 0; i < count; ++i) {
      if (day_->blocks[static_cast<std::size_t>(i)]->startTime <= now) selection = i;
    }
  }
  ResetList(count, selection);
  int first = selection + rowsPerPage_ > count ? count - rowsPerPage_ : selection;
  ScrollTo(std::max(first, 0));
  if (scrollBar_) scrollBar_->SetFirstRow(firstVisible_);
}

model::ProgrammeBlock* ChannelProgrammeScreen::SelectedBlock() const {
  if (day_ == nullptr || selection_ < 0 || static_cast<std::size_t>(selection_) >= day_->blocks.size()) return nullptr;
  return day_->blocks[static_cast<std::size_t>(selection_)].get();
}

void ChannelProgrammeScreen::Activate() {
  model::ProgrammeBlock* block = SelectedBlock();
  if (block == nullptr) return;  // a stale selection
  CommandParameters parameters;
  parameters.block = model::KeyOf(Data(), block);
  Submit(model::kCommandBlockElements, parameters);
}

bool ChannelProgrammeScreen::OnKeyUp(int key) {
  if (!popupShown_ && key == kKeyLeftSoft) {
    if (channel_ == nullptr || channel_->programmeDays.empty()) return false;
    Navigate(kDayChoiceScreen);
    return true;
  }
  return CatalogueScreen::OnKeyUp(key);
}

void ChannelProgrammeScreen::Back() { Navigate(kChannelScreen); }

void ChannelProgrammeScreen::OnRequestDone(int command, model::RequestResultPtr result) {
  if (command != model::kCommandBlockElements || !Succeeded(result)) return;
  Navigate(kBlockProgrammeScreen);
}

void ChannelProgrammeScreen::Draw(Painter& painter, platform::Canvas& target) {
  DrawHeaderById(painter, target, kImageIconTv, kTitle, L"");
  DrawListRows(painter, target, *this, [this](int i, ListRowParts& parts) -> std::wstring {
    if (day_ == nullptr || i < 0 || static_cast<std::size_t>(i) >= day_->blocks.size()) return {};
    const model::ProgrammeBlock& block = *day_->blocks[static_cast<std::size_t>(i)];
    parts.leftCaption = block.startText.empty() ? kNoStart : std::wstring_view(block.startText);
    parts.captionSample = kNoStart;
    return block.name;
  });
  if (scrollBar_) scrollBar_->Draw(target);
  DrawSoftKeyBar(painter, target, itemCount_ > 0 ? kSoftKeySelect : kNoSoftKey, kSoftDays, kSoftKeyBack);
}

}  // namespace kestrova::ui::screens
