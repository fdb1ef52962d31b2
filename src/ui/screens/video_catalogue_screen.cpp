#include "ui/screens/video_catalogue_screen.h"

#include <algorithm>

#include "model/command_ids.h"
#include "model/record_keys.h"
#include "resources/string_table.h"
#include "ui/bars.h"
#include "ui/painter.h"
#include "ui/rows.h"
#include "ui/screens/list_drawing.h"
#include "ui/skin_image_table.h"
#include "ui/ticker.h"

namespace kestrova::ui::screens {
namespace {

constexpr int kRootTitle = 5;     // the catalogue's top level has no name of its own
constexpr int kMoreRowText = 108;
constexpr const wchar_t* kVideoType = L"Video";

bool IsVideo(const model::ProgrammeElement& entry) { return entry.type == kVideoType; }

bool Holds(const model::ProgrammeElement& folder, const model::ProgrammeElement* wanted) {
  if (&folder == wanted) return true;
  return std::any_of(folder.children.begin(), folder.children.end(),
                     [&](const auto& child) { return Holds(*child, wanted); });
}

// The top level hides its favourites folder while the user has no favourites.
bool HidesFirstEntry(const model::ProgrammeElement& folder) {
  if (!folder.name.empty() || folder.children.empty()) return false;
  const model::ProgrammeElement& first = *folder.children.front();
  return first.id == model::ProgrammeElement::kFavouritesFolderId && first.children.empty();
}

}  // namespace

VideoCatalogueScreen::VideoCatalogueScreen() : CatalogueScreen(kVideoCatalogueScreen, kDefaultRowsPerPage, true, 3) {}

bool VideoCatalogueScreen::InTree(const model::ProgrammeElement* folder) const {
  return folder != nullptr && Holds(*Data().videoRoot, folder);
}

model::ProgrammeElement* VideoCatalogueScreen::EntryAt(int row) const {
  if (folder_ == nullptr || row < 0 || IsMoreRow(row)) return nullptr;
  const std::size_t index = static_cast<std::size_t>(row) + (skipFirst_ ? 1 : 0);
  if (index >= folder_->children.size()) return nullptr;
  return folder_->children[index].get();
}

int VideoCatalogueScreen::ShownCount() {
  const int loaded = static_cast<int>(folder_->children.size());
  hasMoreRow_ = loaded < folder_->total;
  const int hidden = skipFirst_ && loaded > 0 ? 1 : 0;
  return loaded - hidden + (hasMoreRow_ ? 1 : 0);
}

void VideoCatalogueScreen::Rebuild(int selection, int firstVisible) {
  const int count = ShownCount();
  ResetList(count, selection);
  int first = std::clamp(firstVisible, 0, std::max(count - rowsPerPage_, 0));
  if (selection_ < first || selection_ >= first + rowsPerPage_) first = std::max(selection_ - rowsPerPage_ + 1, 0);
  ScrollTo(first);
  scrollBar_->SetFirstRow(firstVisible_);
}

bool VideoCatalogueScreen::Enter(const ScreenEntry& entry) {
  model::ProgrammeElement* root = Data().videoRoot.get();
  const model::ProgrammeElement* previous = InTree(folder_) ? folder_ : nullptr;
  folder_ = entry.from == kVideoCatalogueScreen && InTree(requested_) ? requested_ : root;
  requested_ = folder_;
  skipFirst_ = HidesFirstEntry(*folder_);
  int selection = 0;
  if (previous != nullptr && previous->parentFolder == folder_) {
    // Back to the parent: the folder we came from is selected.
    const auto& children = folder_->children;
    const auto found = std::find_if(children.begin(), children.end(),
                                    [&](const auto& child) { return child.get() == previous; });
    if (found != children.end()) selection = static_cast<int>(found - children.begin()) - (skipFirst_ ? 1 : 0);
  }
  Rebuild(std::max(selection, 0), firstRows_[folder_->id]);
  return true;
}

void VideoCatalogueScreen::Refresh(const ScreenEntry&) {
  if (!InTree(folder_)) {
    // The catalogue was loaded anew meanwhile: its top level.
    folder_ = Data().videoRoot.get();
    requested_ = folder_;
    skipFirst_ = HidesFirstEntry(*folder_);
    Rebuild(0, 0);
    return;
  }
  const int count = ShownCount();
  Rebuild(selection_ < count ? selection_ : 0, firstVisible_);
}

void VideoCatalogueScreen::RequestFolder(model::ProgrammeElement& folder) {
  requested_ = &folder;
  CommandParameters parameters;
  parameters.folder = model::KeyOf(Data(), &folder);
  parameters.folderShown = &folder == folder_;
  Submit(model::kCommandVideos, parameters);
}

void VideoCatalogueScreen::Activate() {
  if (folder_ == nullptr) return;
  if (IsMoreRow(selection_)) {
    RequestFolder(*folder_);  // its next page
    return;
  }
  model::ProgrammeElement* entry = SelectedEntry();
  if (entry == nullptr) return;  // a stale selection
  if (IsVideo(*entry)) {
    Navigate(kDetailsScreen);
    return;
  }
  firstRows_[folder_->id] = firstVisible_;
  RequestFolder(*entry);
}

bool VideoCatalogueScreen::OnKeyDown(int key) {
  if (popupShown_ || key != kKeyRight) return CatalogueScreen::OnKeyDown(key);
  const model::ProgrammeElement* entry = SelectedEntry();
  if (entry == nullptr || !IsVideo(*entry)) return false;
  Navigate(kDetailsScreen);
  return true;
}

void VideoCatalogueScreen::Back() {
  if (folder_ == nullptr || folder_->parentFolder == nullptr) {
    Navigate(kMainMenuScreen);
    return;
  }
  firstRows_[folder_->id] = 0;
  requested_ = folder_->parentFolder;
  Navigate(kVideoCatalogueScreen);
}

void VideoCatalogueScreen::OnRequestDone(int command, model::RequestResultPtr result) {
  if (command != model::kCommandVideos || !Succeeded(result)) return;
  if (requested_ != folder_) {
    Navigate(kVideoCatalogueScreen);  // into the folder that was opened
    return;
  }
  // A further page of the folder shown: the selection stays where it was,
  // on the first new entry when the more-row was chosen.
  Rebuild(selection_, firstVisible_);
  Owner()->SetNeedsRedraw();
}

void VideoCatalogueScreen::Draw(Painter& painter, platform::Canvas& target) {
  const bool named = folder_ != nullptr && !folder_->name.empty();
  DrawHeader(painter, target, kImageIconTv, named ? folder_->name : resources::Strings().Get(kRootTitle), L"");
  const int last = std::min(firstVisible_ + rowsPerPage_, itemCount_);
  for (int i = firstVisible_; i < last; ++i) {
    const int row = i - firstVisible_;
    const bool selected = i == selection_;
    if (IsMoreRow(i)) {
      DrawButtonRow(painter, target, row, resources::Strings().Get(kMoreRowText), selected, kTickerFirstRow + row);
      continue;
    }
    const model::ProgrammeElement* entry = EntryAt(i);
    if (entry == nullptr) break;
    ListRowParts parts;
    if (!IsVideo(*entry)) parts.rightIcon = kImageArrowRight;
    else if (entry->favorite != 0) parts.rightIcon = kImageIconHeart;
    DrawListRow(painter, target, row, entry->name, selected, kTickerFirstRow + row, parts);
  }
  if (scrollBar_) scrollBar_->Draw(target);
  DrawSoftKeyBar(painter, target, itemCount_ > 0 ? kSoftKeySelect : kNoSoftKey, kNoSoftKey, kSoftKeyBack);
}

}  // namespace kestrova::ui::screens
