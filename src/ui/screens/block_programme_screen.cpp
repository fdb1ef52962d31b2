#include "ui/screens/block_programme_screen.h"

#include <algorithm>
#include <cstdio>

#include "net/catalogue_endpoints.h"
#include "ui/bars.h"
#include "ui/format_date.h"
#include "ui/labels.h"
#include "ui/painter.h"
#include "ui/rows.h"
#include "ui/screens/channel_programme_screen.h"
#include "ui/screens/list_drawing.h"
#include "ui/skin_image_table.h"
#include "ui/ticker.h"

namespace kestrova::ui::screens {
namespace {

constexpr int kRowsPerPage = 7;
constexpr int kBandTop = 34;
constexpr int kBandLine = 64;
constexpr int kBandInset = 35;
constexpr int kBandTextTop = 33;
constexpr int kBandTextBottom = 65;
constexpr int kEmptyBlockText = 10000;
constexpr int kSoftOpen = 1;
constexpr std::wstring_view kProgrammeType = L"Video";
constexpr std::wstring_view kStartSample = L"00:00";
constexpr std::size_t kTimeLength = 16;
constexpr platform::Colour kBandLineColour = platform::Rgb(51, 51, 51);

// The end of a block: the last block of a day ends at midnight, which its
// end text gives as the start of the same day, so it then ends at the next
// midnight instead.
std::int64_t BlockEnd(const model::ProgrammeBlock& block) {
  if (block.endTime > block.startTime) return block.endTime;
  return net::LocalMidnight(block.startTime, 1);
}

}  // namespace

BlockProgrammeScreen::BlockProgrammeScreen() : CatalogueScreen(kBlockProgrammeScreen, kRowsPerPage, true, 0) {}

bool BlockProgrammeScreen::IsProgrammeEntry(int index) const {
  if (block_ == nullptr || index < 0 || static_cast<std::size_t>(index) >= block_->elements.size()) return false;
  return block_->elements[static_cast<std::size_t>(index)]->type == kProgrammeType;
}

model::ProgrammeElement* BlockProgrammeScreen::SelectedEntry() const {
  return IsProgrammeEntry(selection_) ? block_->elements[static_cast<std::size_t>(selection_)].get() : nullptr;
}

bool BlockProgrammeScreen::Enter(const ScreenEntry&) {
  const auto* programme = dynamic_cast<const ChannelProgrammeScreen*>(Owner()->GetScreen(kChannelProgrammeScreen));
  model::ProgrammeBlock* block = programme != nullptr ? programme->SelectedBlock() : nullptr;
  if (block == nullptr) return false;  // a stale selection
  block_ = block;
  const int count = static_cast<int>(block->elements.size());
  const std::int64_t now = Document().ServerNow();
  int selection = -1;
  if (now >= block->startTime && now < BlockEnd(*block)) {
    // On air: the last programme entry that has started.
    for (int i = 0; i < count; ++i) {
      if (IsProgrammeEntry(i) && block->elements[static_cast<std::size_t>(i)]->startTime <= now) selection = i;
    }
  }
  if (selection < 0) {
    for (int i = 0; i < count && selection < 0; ++i) {
      if (IsProgrammeEntry(i)) selection = i;
    }
  }
  ResetList(count, std::max(selection, 0));
  ShiftRows(0, kRowHeight);
  ScrollTo(0);
  // One entry above the focused one stays in sight; the page is full at the end.
  ShowFrom(std::min(selection_ - 1, count - rowsPerPage_));
  return true;
}

void BlockProgrammeScreen::ShowFrom(int first) {
  ScrollTo(std::max(first, 0));
  if (scrollBar_) scrollBar_->SetFirstRow(firstVisible_);
}

bool BlockProgrammeScreen::OnKeyDown(int key) {
  if (popupShown_ || (key != kKeyUp && key != kKeyDown && key != kKeyRight)) return CatalogueScreen::OnKeyDown(key);
  if (key == kKeyRight) {
    if (SelectedEntry() == nullptr) return false;
    Activate();
    return true;
  }
  const int step = key == kKeyDown ? 1 : -1;
  int next = selection_ + step;
  while (next >= 0 && next < itemCount_ && !IsProgrammeEntry(next)) next += step;
  if (next < 0 || next >= itemCount_) {
    // Nothing to focus that way; a heading above the first entry comes into sight.
    if (key == kKeyUp && firstVisible_ > 0) ShowFrom(0);
    return true;
  }
  selection_ = next;
  if (selection_ == 1 && firstVisible_ >= 1 && !IsProgrammeEntry(0)) {
    ShowFrom(0);  // the heading above the first entry comes into sight with it
  } else if (selection_ < firstVisible_) {
    ShowFrom(selection_);
  } else if (selection_ >= firstVisible_ + rowsPerPage_) {
    ShowFrom(selection_ - rowsPerPage_ + 1);
  }
  return true;
}

bool BlockProgrammeScreen::OnPointer(int x, int y, int kind) {
  const int previous = selection_;
  const bool handled = CatalogueScreen::OnPointer(x, y, kind);
  if (!IsProgrammeEntry(selection_)) selection_ = previous;
  return handled;
}

void BlockProgrammeScreen::Activate() {
  if (SelectedEntry() != nullptr) Navigate(kDetailsScreen);
}

void BlockProgrammeScreen::Back() { Navigate(kChannelProgrammeScreen); }

void BlockProgrammeScreen::Draw(Painter& painter, platform::Canvas& target) {
  const int width = painter.ScreenWidth();
  std::wstring title;
  if (block_ != nullptr) {
    title = block_->name;
    if (block_->day != nullptr) title += L" " + FormatDate(static_cast<std::time_t>(block_->day->date), L"%d/%m/%Y");
  }
  DrawHeader(painter, target, kImageIconTv, title, L"");
  DrawImage(painter, target, kImageTimeSwitcher, 0, kBandTop);
  DrawLine(painter, target, 0, kBandLine, width, kBandLine, kBandLineColour);
  const platform::Rect band{kBandInset, kBandTextTop, width - kBandInset, kBandTextBottom};
  if (block_ == nullptr || itemCount_ == 0) {
    DrawLabel(painter, target, painter.Text(kEmptyBlockText), band, kLabelCentred, painter.FontTitle(), kBlack, 0,
              false);
    DrawSoftKeyBar(painter, target, kNoSoftKey, kNoSoftKey, kSoftKeyBack);
    return;
  }
  wchar_t times[kTimeLength * 2] = {};
  std::swprintf(times, kTimeLength * 2, L"%ls - %ls", block_->startText.c_str(), block_->endText.c_str());
  DrawLabel(painter, target, times, band, kLabelCentred, painter.FontTitle(), kBlack, 0, false);
  const int last = std::min(firstVisible_ + rowsPerPage_, itemCount_);
  bool anyProgramme = false;
  for (int i = 0; i < itemCount_; ++i) anyProgramme = anyProgramme || IsProgrammeEntry(i);
  for (int i = firstVisible_; i < last; ++i) {
    const model::ProgrammeElement& entry = *block_->elements[static_cast<std::size_t>(i)];
    const int row = i - firstVisible_ + 1;
    if (!IsProgrammeEntry(i)) {
      DrawTextBlockRow(painter, target, row, entry.name, 1, kTickerFirstRow + row);
      continue;
    }
    ListRowParts parts;
    const std::wstring start = FormatDate(static_cast<std::time_t>(entry.startTime), L"%H:%M");
    parts.leftCaption = start;
    parts.captionSample = kStartSample;
    parts.rightIcon = kImageArrowRight;
    DrawListRow(painter, target, row, entry.name, i == selection_, kTickerFirstRow + row, parts);
  }
  if (scrollBar_) scrollBar_->Draw(target);
  DrawSoftKeyBar(painter, target, anyProgramme ? kSoftOpen : kNoSoftKey, kNoSoftKey, kSoftKeyBack);
}

}  // namespace kestrova::ui::screens
