// The segments of one channel that viewers may still ask for, shared by all
// of them: the pipeline publishes each one when it is encoded, request
// handlers look up what a viewer gets next. Segments are cut on the
// channel's own clock (seconds since the epoch), in runs: a run is one
// stretch of uninterrupted input, and its segments continue one another.
#pragma once

#include <cstdint>
#include <ctime>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "segment_cache.h"

namespace kestrova::server::media {

struct LiveSegment {
  std::uint64_t run = 0;
  std::time_t start = 0;
  int seconds = 0;
  std::shared_ptr<const EncodedSegment> encoded;
};

// Where a viewer is: the run and start of the segment they get next.
struct ViewerPosition {
  std::uint64_t run = 0;
  std::time_t next_start = 0;
};

struct ViewerStep {
  std::optional<LiveSegment> segment;
  double wait_seconds = 0;    // no segment yet: look again after this long
  std::string error;          // the channel is off the air, and why
};

class ChannelTimeline {
 public:
  // Segments stay this long after they end, and at most kMaxSegments.
  static constexpr int kKeepSeconds = 30;
  static constexpr std::size_t kMaxSegments = 10;

  // A pipeline run begins: a file loops on the clock (its viewers join at
  // the present), a live input is joined far enough behind its newest
  // segment that the next ones always come in time.
  void BeginRun(std::uint64_t run, bool loops, std::string title);
  void Publish(LiveSegment segment, std::time_t now);
  // How far the running run has encoded, in channel seconds.
  void SetHead(double head);
  // The run failed (empty: the error is over).
  void SetError(std::string error);
  std::string Error() const;
  std::string Title() const;

  // What a viewer gets at `now`: the segment after `position` when it is
  // still there, else a segment to join at; or how long to wait for one.
  ViewerStep ForViewer(const std::optional<ViewerPosition>& position, double now) const;

 private:
  ViewerStep Join(double now) const;
  double WaitFor(std::time_t end) const;

  mutable std::mutex mutex_;  // guards everything below
  std::deque<LiveSegment> segments_;  // oldest first, one run
  std::uint64_t run_ = 0;
  bool loops_ = false;
  std::string title_;
  double head_ = 0;
  std::string error_;
};

}  // namespace kestrova::server::media
