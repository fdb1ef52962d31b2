#include "ui/screens/player_screen.h"

#include "model/command_ids.h"
#include "net/endpoint.h"
#include "resources/string_table.h"
#include "ui/bars.h"
#include "ui/labels.h"
#include "ui/painter.h"
#include "ui/screens/channel_card.h"
#include "ui/screens/channel_folders_screen.h"
#include "ui/screens/channel_screen.h"
#include "ui/screens/details_screen.h"
#include "ui/screens/list_drawing.h"
#include "ui/view_host.h"

namespace kestrova::ui::screens {
namespace {

constexpr int kLogoX = 7;
constexpr int kTextGap = 14;
constexpr int kSoftKeyBarImage = 27;
constexpr int kSoftKeyVideo = 87;  // the programme on air is a video of the catalogue

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
  setUpsSubmitted_ = 0;
  running_ = false;
  detailsWanted_ = false;
  if (Owner()->Host() != nullptr && !Owner()->Host()->CreatePlayer()) {
    // No picture can be shown: the user stays where playback was asked for.
    Screen* back = Owner()->Current();
    if (back != nullptr && back != this) {
      back->ShowPopupById(false, kPopupErrorTitle, resources::Strings().Get(net::kGenericFailureTextId), kNoKey,
                          kNoKey);
    }
    return false;
  }
  if (ViewPlayer* player = Player()) player->SetVolume(volume_);
  running_ = true;
  SubmitSetUp(true);
  return true;
}

ViewPlayer* PlayerScreen::Player() const { return Owner()->Host() != nullptr ? Owner()->Host()->Player() : nullptr; }

void PlayerScreen::SubmitSetUp(bool waiter) {
  CommandParameters parameters;
  parameters.channel = channel_;
  ++setUpsSubmitted_;
  Submit(model::kCommandStreamSetup, parameters, waiter);
}

bool PlayerScreen::OnKeyDown(int key) {
  if (popupShown_) return CatalogueScreen::OnKeyDown(key);
  ViewPlayer* player = Player();
  if (key == kKeyUp || key == kKeyDown) {
    if (key == kKeyUp && volume_ < kMaxVolume - 1) volume_ += kVolumeStep;
    if (key == kKeyDown && volume_ > 0) volume_ -= kVolumeStep;
    if (player != nullptr) player->SetVolume(volume_);
    return true;
  }
  // Not handled: the player owns the screen, nothing is redrawn.
  if (key == kKeyAction && player != nullptr) player->SetFullScreen(!player->IsFullScreen());
  return false;
}

bool PlayerScreen::OnKeyUp(int key) {
  if (popupShown_) return CatalogueScreen::OnKeyUp(key);
  if (key == kKeyLeftSoft) return OpenKnownVideo();
  if (key != kKeyRightSoft) return false;
  Leave();
  return true;
}

std::optional<int> PlayerScreen::KnownVideo() const {
  if (!running_) return std::nullopt;
  return Data().liveStream.KnownVideo();
}

bool PlayerScreen::OpenKnownVideo() {
  const std::optional<int> video = KnownVideo();
  if (!video) return false;
  // Playback ends here: the details (and the purchase) take over.
  running_ = false;
  if (ViewPlayer* player = Player()) player->Stop();
  knownVideo_.id = *video;
  detailsWanted_ = true;
  CommandParameters parameters;
  parameters.video = &knownVideo_;
  Submit(model::kCommandVideoDetails, parameters, true);
  return true;
}

void PlayerScreen::ShowKnownVideo(model::RequestResultPtr result) {
  detailsWanted_ = false;
  if (!result || result->ok == 0) {
    LeaveWithError(result ? result->message : std::wstring());
    return;
  }
  auto* details = dynamic_cast<DetailsScreen*>(Owner()->GetScreen(kDetailsScreen));
  ScreenEntry entry;
  entry.from = kPlayerScreen;
  if (details == nullptr || !details->Enter(entry)) {
    Leave();
    return;
  }
  Navigate(kDetailsScreen);
}

void PlayerScreen::Leave() {
  running_ = false;
  if (ViewPlayer* player = Player()) player->Stop();
  Navigate(kind_ == kFromFolders ? kChannelFoldersScreen : kChannelScreen);
}

void PlayerScreen::LeaveWithError(const std::wstring& message) {
  Leave();
  Screen* back = Owner()->Current();
  if (back != nullptr && back != this) back->ShowPopupById(false, kPopupErrorTitle, message, kNoKey, kNoKey);
}

void PlayerScreen::OnSegmentArrived() {
  ViewPlayer* player = Player();
  if (player == nullptr) return;
  player->Play();
  player->SetVolume(volume_);
  if (player->QueuedSegments() <= kRefillBelowOrAt) SubmitSetUp(false);
}

void PlayerScreen::OnSegmentFinished() {
  ViewPlayer* player = Player();
  if (player == nullptr) return;
  const std::size_t queued = player->QueuedSegments();
  // Ran dry: the waiter shows until the next segment is there.
  if (queued == 0) {
    SubmitSetUp(true);
  } else if (queued <= kRefillBelowOrAt) {
    SubmitSetUp(false);
  }
}

void PlayerScreen::OnRequestDone(int command, model::RequestResultPtr result) {
  switch (command) {
    case model::kCommandSegmentOpened:
      if (result) status_ = result->message;
      Owner()->SetNeedsRedraw();
      return;
    case model::kCommandSegmentFinished:
      if (running_) OnSegmentFinished();
      return;
    case model::kCommandVideoDetails:
      if (detailsWanted_) ShowKnownVideo(std::move(result));
      return;
    case model::kCommandStreamSetup: {
      if (!running_) return;  // left meanwhile
      if (result && result->ok != 0) {
        OnSegmentArrived();
        return;
      }
      // Back to where playback started, and the failure is said there.
      LeaveWithError(result ? result->message : std::wstring());
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
  DrawSoftKeyBar(painter, target, kNoSoftKey, KnownVideo() ? kSoftKeyVideo : kNoSoftKey, kSoftKeyBack);
}

}  // namespace kestrova::ui::screens
