#include "media/channel_timeline.h"

#include <algorithm>

#include "media/segment_plan.h"

namespace kestrova::server::media {
namespace {

// A segment is usually out this long after the input passed its end.
constexpr double kEncodingLag = 0.3;
constexpr double kShortestWait = 0.1;
constexpr double kLongestWait = 2.0;
// A run that has published nothing yet is looked at this often.
constexpr double kStartingWait = 0.2;
// How far behind the encoded input a viewer joins a live input: a whole
// full-length segment, and time to fetch the next one.
constexpr double kJoinLag = SegmentPlan::kFullSeconds + 2.0;

}  // namespace

void ChannelTimeline::BeginRun(std::uint64_t run, bool loops, std::string title) {
  const std::lock_guard lock(mutex_);
  run_ = run;
  loops_ = loops;
  title_ = std::move(title);
  head_ = 0;
}

void ChannelTimeline::Publish(LiveSegment segment, std::time_t now) {
  const std::lock_guard lock(mutex_);
  // A new run's first segment: the old run's segments cannot be continued.
  if (!segments_.empty() && segments_.back().run != segment.run) segments_.clear();
  segments_.push_back(std::move(segment));
  error_.clear();
  while (segments_.size() > kMaxSegments ||
         (segments_.size() > 1 && segments_.front().start + segments_.front().seconds + kKeepSeconds < now)) {
    segments_.pop_front();
  }
}

void ChannelTimeline::SetHead(double head) {
  const std::lock_guard lock(mutex_);
  head_ = head;
}

void ChannelTimeline::SetError(std::string error) {
  const std::lock_guard lock(mutex_);
  error_ = std::move(error);
}

std::string ChannelTimeline::Error() const {
  const std::lock_guard lock(mutex_);
  return error_;
}

std::string ChannelTimeline::Title() const {
  const std::lock_guard lock(mutex_);
  return title_;
}

double ChannelTimeline::WaitFor(std::time_t end) const {
  // The input reaches the segment's end about as far from now as the head is.
  const double due = static_cast<double>(end) - head_ + kEncodingLag;
  return std::clamp(due, kShortestWait, kLongestWait);
}

ViewerStep ChannelTimeline::ForViewer(const std::optional<ViewerPosition>& position, double now) const {
  const std::lock_guard lock(mutex_);
  if (position && position->run == run_) {
    for (const LiveSegment& segment : segments_) {
      if (segment.run == position->run && segment.start == position->next_start) {
        return ViewerStep{segment, 0, {}};
      }
    }
    const bool coming = segments_.empty() || position->next_start >= segments_.back().start + segments_.back().seconds;
    if (coming && error_.empty()) {
      // Its length is not known yet: the shortest that could follow.
      const std::time_t end = position->next_start + 1;
      return ViewerStep{std::nullopt, WaitFor(end), {}};
    }
  }
  return Join(now);
}

ViewerStep ChannelTimeline::Join(double now) const {
  if (!error_.empty()) return ViewerStep{std::nullopt, 0, error_};
  if (segments_.empty()) return ViewerStep{std::nullopt, kStartingWait, {}};
  if (loops_) {
    // The segment on the clock now; the pipeline encodes ahead of it.
    for (auto it = segments_.rbegin(); it != segments_.rend(); ++it) {
      if (static_cast<double>(it->start) <= now) return ViewerStep{*it, 0, {}};
    }
    return ViewerStep{segments_.front(), 0, {}};
  }
  // A live input: far enough behind what is encoded that every following
  // segment, however long, is out before the viewer needs it; on a channel
  // that has just started, its first segment, for a quick start.
  for (auto it = segments_.rbegin(); it != segments_.rend(); ++it) {
    if (static_cast<double>(it->start) <= head_ - kJoinLag) return ViewerStep{*it, 0, {}};
  }
  return ViewerStep{segments_.front(), 0, {}};
}

}  // namespace kestrova::server::media
