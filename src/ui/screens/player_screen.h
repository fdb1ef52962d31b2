// Screen 11: the player. It sets the stream of a channel up and shows the
// channel's card with the player's status under the picture; up and down
// change the volume in steps of four between 0 and 64, the action key
// toggles full screen, the right soft key leaves. It keeps the player's
// segment queue filled: every successful set-up starts playback and, while
// at most two segments are queued, asks for the next one; a segment that
// ends with the queue empty shows the waiter while the next is fetched. A
// failed set-up, or a player that cannot be made, takes the user back to
// where playback was started and says so there.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "ui/screens/catalogue_screen.h"
#include "ui/view_player.h"

namespace kestrova::ui::screens {

class PlayerScreen final : public CatalogueScreen {
 public:
  static constexpr int kFromChannel = 0;   // started from the channel screen
  static constexpr int kFromFolders = 1;   // started from the channel folders
  static constexpr int kStartVolume = 32;
  static constexpr int kMaxVolume = 64;
  static constexpr int kVolumeStep = 4;
  // The queue is topped up while it holds at most this many segments.
  static constexpr std::size_t kRefillBelowOrAt = 2;

  PlayerScreen();

  bool Enter(const ScreenEntry& entry) override;
  bool OnKeyDown(int key) override;
  bool OnKeyUp(int key) override;
  void OnRequestDone(int command, model::RequestResultPtr result) override;
  void Draw(Painter& painter, platform::Canvas& target) override;

  int Kind() const { return kind_; }
  int Volume() const { return volume_; }
  const std::wstring& StatusText() const { return status_; }
  model::CatalogueItem* Channel() const { return channel_; }
  // Stream set-ups submitted since the screen was entered (tests).
  int SetUpsSubmitted() const { return setUpsSubmitted_; }

 private:
  void Leave();
  // Stops the stream and goes back; the failure is shown there.
  void LeaveWithError(const std::wstring& message);
  void SubmitSetUp(bool waiter);
  // Steps of the segment pipeline on a set-up that arrived and on a
  // segment that ended.
  void OnSegmentArrived();
  void OnSegmentFinished();
  ViewPlayer* Player() const;
  // The catalogue video of the programme on air while the stream runs; the
  // left soft key opens its details.
  std::optional<int> KnownVideo() const;
  bool OpenKnownVideo();
  void ShowKnownVideo(model::RequestResultPtr result);

  model::CatalogueItem* channel_ = nullptr;  // not owning
  int kind_ = kFromChannel;
  int volume_ = kStartVolume;
  std::wstring status_;
  bool running_ = false;  // the stream runs: set-ups and notifications are acted on
  int setUpsSubmitted_ = 0;
  bool detailsWanted_ = false;            // the known video's details were asked for
  model::ProgrammeElement knownVideo_;    // the record they are asked for (by id)
};

}  // namespace kestrova::ui::screens
