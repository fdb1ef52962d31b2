#include "ui/screens/now_next_screen.h"

#include "resources/string_table.h"
#include "ui/bars.h"
#include "ui/painter.h"
#include "ui/screens/list_drawing.h"
#include "ui/skin_image_table.h"

namespace kestrova::ui::screens {
namespace {

constexpr int kLastTitle = 99;
constexpr int kNextTitle = 108;
constexpr std::wstring_view kStartSample = L"00:00";

}  // namespace

NowNextScreen::NowNextScreen() : CatalogueScreen(kNowNextScreen, kDefaultRowsPerPage, true, 0) {}

void NowNextScreen::Rebuild(int mode) {
  mode_ = mode;
  ResetList(static_cast<int>(Data().nowNextEntries.size()));
}

model::ProgrammeElement* NowNextScreen::SelectedEntry() const {
  const auto& entries = Data().nowNextEntries;
  if (selection_ < 0 || static_cast<std::size_t>(selection_) >= entries.size()) return nullptr;
  return entries[static_cast<std::size_t>(selection_)].get();
}

void NowNextScreen::Activate() {
  if (SelectedEntry() != nullptr) Navigate(kDetailsScreen);
}

void NowNextScreen::Back() { Navigate(kChannelScreen); }

void NowNextScreen::Draw(Painter& painter, platform::Canvas& target) {
  DrawHeaderById(painter, target, kImageIconTv, mode_ == kModeNext ? kNextTitle : kLastTitle, L"");
  const auto& entries = Data().nowNextEntries;
  DrawListRows(painter, target, *this, [&](int i, ListRowParts& parts) -> std::wstring {
    if (i < 0 || static_cast<std::size_t>(i) >= entries.size()) return {};
    const model::ProgrammeElement& entry = *entries[static_cast<std::size_t>(i)];
    parts.leftCaption = entry.startText;
    parts.captionSample = kStartSample;
    return entry.name;
  });
  if (scrollBar_) scrollBar_->Draw(target);
  DrawSoftKeyBar(painter, target, itemCount_ > 0 ? kSoftKeySelect : kNoSoftKey, kNoSoftKey, kSoftKeyBack);
}

}  // namespace kestrova::ui::screens
