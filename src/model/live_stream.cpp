#include "model/live_stream.h"

namespace kestrova::model {

double LiveStreamState::MeasuredRate() const {
  std::lock_guard lock(mutex_);
  return measuredRate_;
}

void LiveStreamState::SetMeasuredRate(double rate) {
  std::lock_guard lock(mutex_);
  measuredRate_ = rate;
}

std::optional<int> LiveStreamState::KnownVideo() const {
  std::lock_guard lock(mutex_);
  return knownVideo_;
}

void LiveStreamState::SetKnownVideo(std::optional<int> videoId) {
  std::lock_guard lock(mutex_);
  knownVideo_ = videoId;
}

}  // namespace kestrova::model
