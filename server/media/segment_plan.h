// How a pipeline run cuts its channel's time into segments: from the run's
// start, 1, 2 and 4 seconds (the first viewer sees pictures soon), then
// SegmentPlan::kFullSeconds each. Lengths are whole seconds, so that every
// quality's pictures and the sound divide them exactly.
#pragma once

#include <cstdint>

namespace kestrova::server::media {

struct SegmentPlan {
  static constexpr int kFullSeconds = 6;
  static constexpr int kRampSegments = 3;

  // Seconds from the run's start to segment `index`.
  static std::int64_t Start(std::int64_t index) {
    if (index < kRampSegments) return (std::int64_t{1} << index) - 1;
    return ((std::int64_t{1} << kRampSegments) - 1) + (index - kRampSegments) * kFullSeconds;
  }
  static int Length(std::int64_t index) { return index < kRampSegments ? 1 << index : kFullSeconds; }
  static std::int64_t End(std::int64_t index) { return Start(index) + Length(index); }
  // The segment holding whole second `second` after the run's start.
  static std::int64_t At(std::int64_t second) {
    const std::int64_t ramp = (std::int64_t{1} << kRampSegments) - 1;
    if (second >= ramp) return kRampSegments + (second - ramp) / kFullSeconds;
    std::int64_t index = 0;
    while (End(index) <= second) ++index;
    return index;
  }
};

}  // namespace kestrova::server::media
