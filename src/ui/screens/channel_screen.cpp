#include "ui/screens/channel_screen.h"

#include "model/command_ids.h"
#include "model/record_keys.h"
#include "resources/string_table.h"
#include "ui/bars.h"
#include "ui/painter.h"
#include "ui/rows.h"
#include "ui/screens/channel_card.h"
#include "ui/screens/channel_entries.h"
#include "ui/screens/channel_folders_screen.h"
#include "ui/screens/list_drawing.h"
#include "ui/screens/now_next_screen.h"
#include "ui/screens/subscription_offer.h"
#include "ui/skin_image_table.h"
#include "ui/ticker.h"

namespace kestrova::ui::screens {
namespace {

constexpr int kRowsPerPage = 4;
constexpr int kFirstActionRow = 2;  // below the card, at y = 96
constexpr int kWatchText = 36;
constexpr int kBuyText = 134;
constexpr int kRefreshText = 135;
constexpr int kNextText = 108;
constexpr int kPreviousText = 99;
constexpr int kSoftBuy = 21;
constexpr int kSoftProgramme = 136;

}  // namespace

ChannelScreen::ChannelScreen() : CatalogueScreen(kChannelScreen, kRowsPerPage, false, 0) {}

bool ChannelScreen::Enter(const ScreenEntry&) {
  const auto* folders = dynamic_cast<const ChannelFoldersScreen*>(Owner()->GetScreen(kChannelFoldersScreen));
  model::CatalogueItem* entry = folders != nullptr ? folders->SelectedEntry() : nullptr;
  if (entry == nullptr || KindOf(*entry) != EntryKind::kChannel) return false;  // a stale selection
  channel_ = entry;
  channelId_ = entry->id;
  watchable_ = CanWatch(*entry);
  actionRows_.clear();
  if (watchable_) {
    actionRows_.push_back(Row::kWatch);
  } else {
    actionRows_.push_back(Row::kBuy);
    actionRows_.push_back(Row::kRefresh);
  }
  if (entry->haveProgram != 0) {
    actionRows_.push_back(Row::kNextProgrammes);
    actionRows_.push_back(Row::kPreviousProgrammes);
  }
  ResetList(static_cast<int>(actionRows_.size()));
  ShiftRows(0, kFirstActionRow * kRowHeight);
  UpdateVisibility();
  return true;
}

model::CatalogueItem* ChannelScreen::Channel() const {
  for (const auto& entry : Data().currentFolder->entries) {
    if (entry.get() == channel_ && entry->id == channelId_) return channel_;
  }
  return nullptr;
}

void ChannelScreen::ReloadFolder() { Submit(model::kCommandCatalogue); }

void ChannelScreen::Activate() {
  model::CatalogueItem* channel = Channel();
  if (channel == nullptr || selection_ < 0 || selection_ >= static_cast<int>(actionRows_.size())) return;
  CommandParameters parameters;
  parameters.channelId = channel->id;
  switch (actionRows_[static_cast<std::size_t>(selection_)]) {
    case Row::kWatch: Navigate(kPlayerScreen); break;
    case Row::kBuy:
      offerShown_ = HasSubscriptionOffer(*Data().currentFolder);
      ShowSubscriptionOffer(*this, *Data().currentFolder);
      break;
    case Row::kRefresh: ReloadFolder(); break;
    case Row::kNextProgrammes: Submit(model::kCommandNextProgramme, parameters); break;
    case Row::kPreviousProgrammes: Submit(model::kCommandCurrentProgramme, parameters); break;
  }
}

bool ChannelScreen::OnKeyUp(int key) {
  if (!popupShown_ && key == kKeyLeftSoft) {
    model::CatalogueItem* channel = Channel();
    if (channel == nullptr || channel->haveProgram == 0) return false;
    CommandParameters parameters;
    parameters.channel = model::KeyOf(Data(), channel);
    Submit(model::kCommandProgrammeBlocks, parameters);
    return true;
  }
  return CatalogueScreen::OnKeyUp(key);
}

void ChannelScreen::Back() { Navigate(kChannelFoldersScreen); }

void ChannelScreen::OnPopupKey(int key) {
  const bool offer = offerShown_;
  offerShown_ = false;
  ClosePopup();
  if (offer && key == kKeyLeftSoft) Submit(model::kCommandFolderPayment);
}

void ChannelScreen::OnRequestDone(int command, model::RequestResultPtr result) {
  switch (command) {
    case model::kCommandFolderPayment:
      if (ShowPaymentOutcome(*this, result)) ReloadFolder();
      return;
    case model::kCommandCatalogue: {
      if (!Succeeded(result)) return;
      // The level was loaded again: its entries are new records, and a paid
      // package lost or gained its special entries, so the channel is found
      // again by its id rather than by its old place.
      channel_ = nullptr;
      auto* folders = dynamic_cast<ChannelFoldersScreen*>(Owner()->GetScreen(kChannelFoldersScreen));
      const int index = IndexOfChannel(*Data().currentFolder, channelId_);
      if (folders != nullptr && index >= 0) folders->SelectEntry(index);
      Navigate(kChannelFoldersScreen);
      if (index >= 0) Navigate(kChannelScreen);
      return;
    }
    case model::kCommandCurrentProgramme:
    case model::kCommandNextProgramme: {
      if (!Succeeded(result)) return;
      auto* nowNext = dynamic_cast<NowNextScreen*>(Owner()->GetScreen(kNowNextScreen));
      if (nowNext == nullptr) return;
      nowNext->Rebuild(command == model::kCommandNextProgramme ? NowNextScreen::kModeNext : NowNextScreen::kModeLast);
      Navigate(kNowNextScreen);
      return;
    }
    case model::kCommandProgrammeBlocks:
      if (Succeeded(result)) Navigate(kChannelProgrammeScreen);
      return;
    default: return;
  }
}

void ChannelScreen::Draw(Painter& painter, platform::Canvas& target) {
  const model::CatalogueItem* channel = Channel();
  DrawHeader(painter, target, kImageIconTv, channel != nullptr ? std::wstring_view(channel->name) : std::wstring_view(), L"");
  DrawChannelCard(painter, target, channel, kRowHeight);
  const resources::StringTable& strings = resources::Strings();
  for (int i = 0; i < static_cast<int>(actionRows_.size()); ++i) {
    const int row = i + kFirstActionRow;
    const bool selected = i == selection_;
    const int ticker = kTickerFirstRow + row;
    switch (actionRows_[static_cast<std::size_t>(i)]) {
      case Row::kWatch: DrawListRow(painter, target, row, strings.Get(kWatchText), selected, ticker); break;
      case Row::kBuy: {
        ListRowParts parts;
        parts.rightIcon = kImageIconMoney;
        DrawListRow(painter, target, row, strings.Get(kBuyText), selected, ticker, parts);
        break;
      }
      case Row::kRefresh: DrawButtonRow(painter, target, row, strings.Get(kRefreshText), selected, ticker); break;
      case Row::kNextProgrammes: DrawListRow(painter, target, row, strings.Get(kNextText), selected, ticker); break;
      case Row::kPreviousProgrammes:
        DrawListRow(painter, target, row, strings.Get(kPreviousText), selected, ticker);
        break;
    }
  }
  const bool buyRow = !watchable_ && selection_ == 0;
  const bool programme = channel != nullptr && channel->haveProgram != 0;
  DrawSoftKeyBar(painter, target, buyRow ? kSoftBuy : kSoftKeySelect, programme ? kSoftProgramme : kNoSoftKey,
                 kSoftKeyBack);
}

}  // namespace kestrova::ui::screens
