#include "ui/screens/player_screen.h"

#include "model/command_ids.h"
#include "ui/bars.h"
#include "ui/labels.h"
#include "ui/painter.h"
#include "ui/screens/channel_card.h"
#include "ui/screens/channel_folders_screen.h"
#include "ui/screens/channel_screen.h"
#include "ui/screens/list_drawing.h"
#include "ui/view_host.h"

namespace kestrova::ui::screens {
namespace {

constexpr int kLogoX = 7;
constexpr int kTextGap = 14;
constexpr int kSoftKeyBarImage = 27;

}  // namespace

PlayerScreen::PlayerScreen() : CatalogueScreen(kPlayerScreen, 0, false, 0) {}

bool PlayerScreen::Enter(const ScreenEntry& entry) {
  model::CatalogueItem* channel = nullptr;
  int kind = kind_;
  if (entry.from == kChannelFoldersScreen) {
    if (const auto* folders = dynamic_cast<const ChannelFoldersScreen*>(Owner()->GetScreen(entry.from))) {
      channel = folders->SelectedEntry();
    }
    kind = kFromFolders;
  } else if (const auto* channelScreen = dynamic_cast<const ChannelScreen*>(Owner()->GetScreen(kChannelScreen))) {
    channel = channelScreen->Channel();
    if (entry.from == kChannelScreen) kind = kFromChannel;
  }
  if (channel == nullptr) return false;  // a stale selection
  channel_ = channel;
  kind_ = kind;
  volume_ = kStartVolume;
  status_.clear();
  selection_ = 0;
  if (Owner()->Host() != nullptr) Owner()->Host()->CreatePlayer();
  CommandParameters parameters;
  parameters.channel = channel;
  Submit(model::kCommandStreamSetup, parameters);
  return true;
}

bool PlayerScreen::OnKeyDown(int key) {
  if (popupShown_) return CatalogueScreen::OnKeyDown(key);
  if (key == kKeyUp) {
    if (volume_ < kMaxVolume - 1) volume_ += kVolumeStep;
    return true;
  }
  if (key == kKeyDown) {
    if (volume_ > 0) volume_ -= kVolumeStep;
    return true;
  }
  return false;
}

bool PlayerScreen::OnKeyUp(int key) {
  if (popupShown_) return CatalogueScreen::OnKeyUp(key);
  if (key != kKeyRightSoft) return false;
  Leave();
  return true;
}

void PlayerScreen::Leave() { Navigate(kind_ == kFromFolders ? kChannelFoldersScreen : kChannelScreen); }

void PlayerScreen::OnRequestDone(int command, model::RequestResultPtr result) {
  switch (command) {
    case model::kCommandSegmentOpened:
      if (result) status_ = result->message;
      Owner()->SetNeedsRedraw();
      return;
    case model::kCommandStreamSetup:
    case model::kCommandSegmentFinished:
    case model::kCommandVideoDetails: {
      if (result && result->ok != 0) return;
      // Back to where playback started, and the failure is said there.
      const std::wstring message = result ? result->message : std::wstring();
      Leave();
      Screen* back = Owner()->Current();
      if (back != nullptr && back != this) back->ShowPopupById(false, kPopupErrorTitle, message, kNoKey, kNoKey);
      return;
    }
    default: return;
  }
}

void PlayerScreen::Draw(Painter& painter, platform::Canvas& target) {
  DrawHeader(painter, target, kTvIcon, channel_ != nullptr ? std::wstring_view(channel_->name) : L"", L"");
  const int bottom = painter.ScreenHeight() - painter.Image(kSoftKeyBarImage).height;
  const int top = bottom - kCardHeight;
  DrawImage(painter, target, kCardBackgroundImage, 0, top);
  int textLeft = kTextGap;
  if (channel_ != nullptr && !channel_->logoImage.Empty()) {
    const platform::ArgbImage& logo = channel_->logoImage;
    target.Blend(logo, kLogoX, top + (kCardHeight - logo.Height()) / 2);
    textLeft = kLogoX + logo.Width() + kTextGap;
  }
  DrawLabelBlock(painter, target, status_, {textLeft, top, painter.ScreenWidth() - kTextGap, bottom}, kLabelWrapped,
                 painter.FontText(), kBlack, 0, false);
  DrawSoftKeyBar(painter, target, kNoSoftKey, kNoSoftKey, kSoftKeyBack);
}

}  // namespace kestrova::ui::screens
