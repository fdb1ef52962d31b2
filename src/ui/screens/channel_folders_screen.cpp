#include "ui/screens/channel_folders_screen.h"

#include <algorithm>
#include <utility>

#include "model/command_ids.h"
#include "ui/bars.h"
#include "ui/painter.h"
#include "ui/rows.h"
#include "ui/screens/channel_card.h"
#include "ui/screens/channel_entries.h"
#include "ui/screens/list_drawing.h"
#include "ui/screens/logo_thumbnail.h"
#include "ui/screens/subscription_offer.h"
#include "ui/skin_image_table.h"
#include "ui/ticker.h"

namespace kestrova::ui::screens {
namespace {

constexpr int kTitle = 101;
constexpr int kRowsPerPage = 8;
constexpr int kRowsBelowCard = 6;
constexpr int kCardRows = 2;             // the card takes the place of two rows
constexpr int kCardScrollBarTop = 91;
constexpr int kSoftOpenFolder = 19;
constexpr int kSoftBuy = 21;
constexpr int kSoftOpenChannel = 1;
constexpr int kSoftWatch = 36;
constexpr int kLogoInset = 14;
constexpr int kLogoSide = 26;
constexpr std::wstring_view kLogoColumn = L"000";  // keeps the text clear of a logo

}  // namespace

ChannelFoldersScreen::ChannelFoldersScreen() : CatalogueScreen(kChannelFoldersScreen, kRowsPerPage, true, 0) {}

model::FolderNode& ChannelFoldersScreen::Folder() const { return *Data().currentFolder; }

bool ChannelFoldersScreen::HasHeaderArea() const { return Folder().showTop != 0 && Folder().folderEntry != nullptr; }

model::CatalogueItem* ChannelFoldersScreen::SelectedEntry() const { return EntryAt(Folder(), selection_); }

bool ChannelFoldersScreen::Enter(const ScreenEntry&) {
  logos_.Forget();
  const model::FolderNode& folder = Folder();
  const int count = static_cast<int>(folder.entries.size());
  const bool header = HasHeaderArea();
  const int rows = header ? kRowsBelowCard : kRowsPerPage;
  SetRowsPerPage(rows);
  Position position = positions_[folder.folderId];
  if (position.selection >= count) {
    // The level shrank since it was left: its last entry.
    position.selection = std::max(count - 1, 0);
    position.firstVisible = position.selection < rows ? 0 : count - rows;
  }
  ResetList(count, position.selection);
  if (header) ShiftRows(0, kCardRows * kRowHeight);
  int first = std::clamp(position.firstVisible, 0, std::max(count - rows, 0));
  if (selection_ < first || selection_ >= first + rows) first = std::max(selection_ - rows + 1, 0);
  ScrollTo(first);
  scrollBar_ = header ? std::make_unique<ScrollBar>(count - rows, ScrollBar::kWidth, kCardScrollBarTop)
                      : std::make_unique<ScrollBar>(count - rows);
  scrollBar_->SetFirstRow(firstVisible_);
  Remember();
  return true;
}

void ChannelFoldersScreen::Refresh(const ScreenEntry&) {
  const int count = static_cast<int>(Folder().entries.size());
  if (count != itemCount_ || selection_ >= count) Enter({});
}

void ChannelFoldersScreen::SelectEntry(int index) {
  if (EntryAt(Folder(), index) == nullptr) return;
  positions_[Folder().folderId] = {index, firstVisible_};
  Enter({});
}

void ChannelFoldersScreen::Remember() { positions_[Folder().folderId] = {selection_, firstVisible_}; }

void ChannelFoldersScreen::Reenter() {
  Enter({});
  Owner()->SetNeedsRedraw();
}

bool ChannelFoldersScreen::OnPointer(int x, int y, int kind) {
  const bool handled = CatalogueScreen::OnPointer(x, y, kind);
  if (!popupShown_ && Owner()->CurrentId() == id_) Remember();
  return handled;
}

bool ChannelFoldersScreen::OnKeyDown(int key) {
  if (!popupShown_ && key == kKeyRight) {
    const model::CatalogueItem* entry = SelectedEntry();
    if (entry == nullptr || KindOf(*entry) != EntryKind::kChannel) return false;
    Navigate(kChannelScreen);
    return true;
  }
  const bool handled = CatalogueScreen::OnKeyDown(key);
  if (!popupShown_ && Owner()->CurrentId() == id_) Remember();
  return handled;
}

bool ChannelFoldersScreen::OnKeyUp(int key) {
  if (!popupShown_ && key == kKeyLeftSoft) {
    const model::CatalogueItem* entry = SelectedEntry();
    if (entry == nullptr || !CanWatch(*entry)) return false;
    Navigate(kPlayerScreen);
    return true;
  }
  return CatalogueScreen::OnKeyUp(key);
}

void ChannelFoldersScreen::Activate() {
  model::FolderNode& folder = Folder();
  model::CatalogueItem* entry = SelectedEntry();
  if (entry == nullptr) return;  // a stale selection
  Remember();
  switch (KindOf(*entry)) {
    case EntryKind::kSubFolder: {
      for (auto& child : folder.children) {
        if (child->folderEntry == entry && child->loaded != 0) {
          Data().currentFolder = child.get();
          Reenter();
          return;
        }
      }
      folder.descendPending = 1;
      CommandParameters parameters;
      parameters.index = selection_;
      Submit(model::kCommandCatalogue, parameters);
      Owner()->SetNeedsRedraw();
      break;
    }
    case EntryKind::kMustBuy:
      offerShown_ = HasSubscriptionOffer(folder);
      ShowSubscriptionOffer(*this, folder);
      break;
    case EntryKind::kNotLoaded:
      Submit(model::kCommandCatalogue);
      Owner()->SetNeedsRedraw();
      break;
    case EntryKind::kChannel: Navigate(kChannelScreen); break;
  }
}

void ChannelFoldersScreen::Back() {
  model::FolderNode& folder = Folder();
  if (folder.parent == nullptr) {
    Navigate(kMainMenuScreen);
    return;
  }
  Data().currentFolder = folder.parent;
  Reenter();
}

void ChannelFoldersScreen::OnPopupKey(int key) {
  const bool offer = offerShown_;
  offerShown_ = false;
  ClosePopup();
  if (offer && key == kKeyLeftSoft) Submit(model::kCommandFolderPayment);
}

void ChannelFoldersScreen::OnRequestDone(int command, model::RequestResultPtr result) {
  if (command == model::kCommandLogoAgain) {
    if (logos_.TakeArrived(Data())) Owner()->SetNeedsRedraw();
    return;
  }
  if (command == model::kCommandFolderPayment) {
    if (ShowPaymentOutcome(*this, result)) Submit(model::kCommandCatalogue);
    return;
  }
  if (command != model::kCommandCatalogue || !Succeeded(result)) return;
  Reenter();
}

void ChannelFoldersScreen::Draw(Painter& painter, platform::Canvas& target) {
  DrawHeaderById(painter, target, kImageIconTv, kTitle, L"");
  const model::FolderNode& folder = Folder();
  const bool header = HasHeaderArea();
  if (header) DrawChannelCard(painter, target, folder.folderEntry, kRowHeight);
  const int offset = header ? kCardRows : 0;
  const int last = std::min(firstVisible_ + rowsPerPage_, itemCount_);
  for (int i = firstVisible_; i < last; ++i) {
    const model::CatalogueItem* entry = EntryAt(folder, i);
    if (entry == nullptr) break;
    const int row = i - firstVisible_ + offset;
    const bool selected = i == selection_;
    const EntryKind kind = KindOf(*entry);
    if (kind == EntryKind::kMustBuy || kind == EntryKind::kNotLoaded) {
      DrawButtonRow(painter, target, row, entry->name, selected, kTickerFirstRow + row);
      continue;
    }
    if (auto request = logos_.Show(Data(), *entry)) Submit(model::kCommandLogoAgain, std::move(*request), false);
    ListRowParts parts;
    if (kind == EntryKind::kSubFolder && entry->logoImage.Empty()) parts.leftIcon = kImageIconFolder;
    if (kind == EntryKind::kChannel) parts.rightIcon = kImageArrowRight;
    const platform::ArgbImage logo = FitLogo(entry->logoImage, kLogoSide);
    const bool showLogo = !logo.Empty();
    if (showLogo) {
      // A blank caption as wide as the logo column keeps the text clear of it.
      parts.leftCaption = L" ";
      parts.captionSample = kLogoColumn;
    }
    DrawListRow(painter, target, row, entry->name, selected, kTickerFirstRow + row, parts);
    if (showLogo) target.Blend(logo, kLogoInset, RowTop(row) + (kRowHeight - logo.Height()) / 2);
  }
  if (scrollBar_) scrollBar_->Draw(target);
  int middle = kNoSoftKey;
  int left = kNoSoftKey;
  if (const model::CatalogueItem* entry = SelectedEntry()) {
    switch (KindOf(*entry)) {
      case EntryKind::kSubFolder: middle = kSoftOpenFolder; break;
      case EntryKind::kMustBuy:
      case EntryKind::kNotLoaded: middle = kSoftBuy; break;
      case EntryKind::kChannel:
        middle = kSoftOpenChannel;
        if (CanWatch(*entry)) left = kSoftWatch;
        break;
    }
  }
  DrawSoftKeyBar(painter, target, middle, left, kSoftKeyBack);
}

}  // namespace kestrova::ui::screens
