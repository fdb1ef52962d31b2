#include "ui/screens/player_screen.h"

#include <algorithm>
#include <utility>

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
#include "ui/skin_image_table.h"
#include "ui/view_host.h"

namespace kestrova::ui::screens {
namespace {

constexpr int kLogoX = 7;
constexpr int kTextGap = 14;
constexpr int kSoftKeyVideo = 87;  // the programme on air is a video of the catalogue
constexpr int kNoSoundTextId = 137;  // "No sound device: playing without sound"

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
  started_ = false;
  badInRow_ = 0;
  lastFailure_.clear();
  retryPending_ = false;
  retryWaiter_ = false;
  detailsWanted_ = false;
  ViewHost* host = Owner()->Host();
  if (host != nullptr) host->CancelDelayedStep();  // a step of an earlier stream
  if (host != nullptr && !host->CreatePlayer()) {
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
  parameters.channelId = channel_ != nullptr ? channel_->id : 0;
  ++setUpsSubmitted_;
  Submit(model::kCommandStreamSetup, parameters, waiter);
}

std::uint32_t PlayerScreen::RetryDelayMs(int badInRow) {
  std::uint32_t delay = kFirstRetryDelayMs;
  for (int i = 1; i < badInRow && delay < kLongestRetryDelayMs; ++i) delay *= 2;
  return std::min(delay, kLongestRetryDelayMs);
}

void PlayerScreen::RequestSetUp(bool waiter) {
  ViewHost* host = Owner()->Host();
  if (badInRow_ == 0 || host == nullptr) {
    SubmitSetUp(waiter);
    return;
  }
  retryWaiter_ = retryWaiter_ || waiter;
  if (retryPending_) return;
  retryPending_ = true;
  host->SetDelayedStep(RetryDelayMs(badInRow_), [this] {
    retryPending_ = false;
    const bool showWaiter = std::exchange(retryWaiter_, false);
    if (running_ && Owner()->Current() == this) SubmitSetUp(showWaiter);
  });
}

void PlayerScreen::OnBadSegment(const std::wstring& message) {
  ++badInRow_;
  lastFailure_ = message;
  ViewPlayer* player = Player();
  const std::size_t queued = player != nullptr ? player->QueuedSegments() : 0;
  // What is still queued plays on; the screen gives up only once it is gone.
  if (badInRow_ >= kMaxBadSegments && queued == 0) {
    GiveUp();
  } else if (queued <= kRefillBelowOrAt) {
    RequestSetUp(queued == 0);
  }
}

void PlayerScreen::GiveUp() {
  running_ = false;
  retryPending_ = false;
  const std::wstring message =
      lastFailure_.empty() ? resources::Strings().Get(net::kGenericFailureTextId) : lastFailure_;
  ViewHost* host = Owner()->Host();
  if (host == nullptr) {
    LeaveWithError(message);
    return;
  }
  host->SetDelayedStep(0, [this, message] {
    if (Owner()->Current() == this) LeaveWithError(message);
  });
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
  StopStream();
  detailsWanted_ = true;
  CommandParameters parameters;
  parameters.videoId = *video;
  Submit(model::kCommandVideoDetails, parameters, true);
  return true;
}

void PlayerScreen::ShowKnownVideo(model::RequestResultPtr result) {
  detailsWanted_ = false;
  if (!result || !result->ok) {
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

void PlayerScreen::StopStream() {
  running_ = false;
  retryPending_ = false;
  if (Owner()->Host() != nullptr) Owner()->Host()->CancelDelayedStep();
  if (ViewPlayer* player = Player()) player->Stop();
}

void PlayerScreen::Leave() {
  StopStream();
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
  // Said once, before the first picture, which paints the interface with
  // the pop-up around it.
  if (!noSoundNoticeShown_ && player->PlaysWithoutSound()) {
    noSoundNoticeShown_ = true;
    ShowPopupById(false, kNoticeTitle, resources::Strings().Get(kNoSoundTextId), kNoKey, kNoKey);
  }
  player->Play();
  player->SetVolume(volume_);
  if (player->QueuedSegments() <= kRefillBelowOrAt) RequestSetUp(false);
}

void PlayerScreen::OnSegmentFinished() {
  ViewPlayer* player = Player();
  if (player == nullptr) return;
  const std::size_t queued = player->QueuedSegments();
  // Ran dry: the waiter shows until the next segment is there.
  if (queued == 0 && badInRow_ >= kMaxBadSegments) {
    GiveUp();
  } else if (queued == 0) {
    RequestSetUp(true);
  } else if (queued <= kRefillBelowOrAt) {
    RequestSetUp(false);
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
    case model::kNoticeSegmentChecked:
      if (!running_) return;
      if (result && result->ok) {
        badInRow_ = 0;  // one segment that plays ends a run of bad ones
      } else {
        OnBadSegment({});
      }
      return;
    case model::kCommandVideoDetails:
      if (detailsWanted_) ShowKnownVideo(std::move(result));
      return;
    case model::kCommandStreamSetup: {
      if (!running_) return;  // left meanwhile
      if (result && result->ok) {
        started_ = true;
        OnSegmentArrived();
      } else if (started_) {
        OnBadSegment(result ? result->message : std::wstring());
      } else {
        // A failed start: back to where playback started, and the failure is said there.
        LeaveWithError(result ? result->message : std::wstring());
      }
      return;
    }
    default: return;
  }
}

void PlayerScreen::Draw(Painter& painter, platform::Canvas& target) {
  DrawHeader(painter, target, kImageIconTv, channel_ != nullptr ? std::wstring_view(channel_->name) : L"", L"");
  const int bottom = painter.ScreenHeight() - painter.Image(kImageBottomLine).height;
  const int top = bottom - kCardHeight;
  DrawImage(painter, target, kImagePlate, 0, top);
  int textLeft = kTextGap;
  if (channel_ != nullptr && !channel_->logoImage.Empty()) {
    const platform::ArgbImage& logo = channel_->logoImage;
    if (painter.Data() != nullptr) painter.Data()->ShowLogo(*channel_);
    target.Blend(logo, kLogoX, top + (kCardHeight - logo.Height()) / 2);
    textLeft = kLogoX + logo.Width() + kTextGap;
  }
  DrawLabelBlock(painter, target, status_, {textLeft, top, painter.ScreenWidth() - kTextGap, bottom}, kLabelWrapped,
                 painter.FontText(), kBlack, 0, false);
  DrawSoftKeyBar(painter, target, kNoSoftKey, KnownVideo() ? kSoftKeyVideo : kNoSoftKey, kSoftKeyBack);
}

}  // namespace kestrova::ui::screens
