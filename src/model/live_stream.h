// What the live stream session keeps between segments: the download rate
// measured on the last segment, from which the next segment's quality is
// chosen (kept for the whole run, so the next channel starts at a fitting
// quality), and the catalogue video the programme on air belongs to, which
// the player screen offers to buy.
#pragma once

#include <mutex>
#include <optional>

namespace kestrova::model {

class LiveStreamState {
 public:
  LiveStreamState() = default;
  LiveStreamState(const LiveStreamState&) = delete;
  LiveStreamState& operator=(const LiveStreamState&) = delete;

  // Size units (bytes) per second; 0 until the first segment was measured.
  double MeasuredRate() const;
  void SetMeasuredRate(double rate);

  // The id of the known video of the current programme; nullopt when the
  // stream announced none.
  std::optional<int> KnownVideo() const;
  void SetKnownVideo(std::optional<int> videoId);

 private:
  // Guards both values: the stream set-up worker writes them while the
  // user-interface thread reads the video at any time.
  mutable std::mutex mutex_;
  double measuredRate_ = 0.0;
  std::optional<int> knownVideo_;
};

}  // namespace kestrova::model
