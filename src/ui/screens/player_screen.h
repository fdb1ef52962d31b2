// Screen 11: the player. It sets the stream of a channel up and shows the
// channel's card with the player's status under the picture; up and down
// change the volume in steps of four between 0 and 64, the action key
// toggles full screen, the right soft key leaves. It keeps the player's
// segment queue filled: every successful set-up starts playback and, while
// at most two segments are queued, asks for the next one; a segment that
// ends with the queue empty shows the waiter while the next is fetched. A
// failed start, or a player that cannot be made, takes the user back to
// where playback was started and says so there.
//
// Once the stream runs, a segment the player drops unplayed or a set-up
// that fails is a bad segment: after each one in a row the next set-up
// waits longer (a view timer, so the user can still leave), one segment that
// plays ends the run, and after kMaxBadSegments in a row, once nothing is
// left to play, the screen leaves with the error as a failed start does.
#pragma once

#include <cstddef>
#include <cstdint>
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
  // Bad segments in a row after which the screen gives up.
  static constexpr int kMaxBadSegments = 4;
  // The wait before the next set-up after the first bad segment; it doubles
  // with each further one up to the longest.
  static constexpr std::uint32_t kFirstRetryDelayMs = 500;
  static constexpr std::uint32_t kLongestRetryDelayMs = 4000;
  static constexpr platform::Colour kBackground = platform::Rgb(0, 0, 0);

  // The wait before the next set-up after `badInRow` bad segments in a row.
  static std::uint32_t RetryDelayMs(int badInRow);

  PlayerScreen();

  bool Enter(const ScreenEntry& entry) override;
  bool OnKeyDown(int key) override;
  bool OnKeyUp(int key) override;
  void OnRequestDone(int command, model::RequestResultPtr result) override;
  void Draw(Painter& painter, platform::Canvas& target) override;
  platform::Colour Background() const override { return kBackground; }

  int Kind() const { return kind_; }
  int Volume() const { return volume_; }
  const std::wstring& StatusText() const { return status_; }
  model::CatalogueItem* Channel() const { return channel_; }
  // Stream set-ups submitted since the screen was entered (tests).
  int SetUpsSubmitted() const { return setUpsSubmitted_; }
  int BadSegmentsInRow() const { return badInRow_; }

 private:
  void Leave();
  // Stops the stream and goes back; the failure is shown there.
  void LeaveWithError(const std::wstring& message);
  // Ends the stream: no more set-ups, notifications ignored, player stopped.
  void StopStream();
  void SubmitSetUp(bool waiter);
  // Asks for the next segment: at once while the stream is sound, else once
  // the back-off delay has passed (one delayed set-up at a time).
  void RequestSetUp(bool waiter);
  // A segment dropped unplayed or a failed set-up; `message` is the failure's.
  void OnBadSegment(const std::wstring& message);
  // Leaves with the error from a view timer: the bad segment may be reported
  // by the player's threads, which wait while their notification is handled
  // and so must not be stopped from inside it.
  void GiveUp();
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
  bool started_ = false;       // the first set-up arrived: later failures back off
  int badInRow_ = 0;           // bad segments since the last one that played
  std::wstring lastFailure_;   // the message of the latest bad segment
  bool retryPending_ = false;  // a delayed set-up waits for its timer
  bool retryWaiter_ = false;   // ... and shows the waiter
  bool detailsWanted_ = false;  // the known video's details were asked for
  // The notice that the channel plays without sound was shown; once a run.
  bool noSoundNoticeShown_ = false;
};

}  // namespace kestrova::ui::screens
