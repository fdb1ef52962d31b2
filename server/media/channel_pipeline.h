// The pipeline of one channel with a source, shared by all its viewers: its
// own thread (ChannelPipeline::Thread) opens the source, decodes it and
// feeds a ChannelEncoder, which publishes segments to the channel's
// timeline. The first set-up starts it; it stops by itself after
// kIdleTime without a set-up. A source that fails (cannot be opened, goes
// silent, ends, cannot be decoded) puts the timeline in error, with a log
// line saying why, and is opened again after a delay that doubles from
// kFirstRetry to kLongestRetry. A file loops on the wall clock: at any
// moment every viewer sees the same point of it, its position being the
// time since the epoch modulo its length.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "media/channel_timeline.h"

namespace kestrova::server::media {

struct ChannelSource {
  int channel = 0;
  std::string name;     // for the log
  std::string address;  // a path or a URL libavformat opens
};

class ChannelPipeline {
 public:
  static constexpr std::chrono::minutes kIdleTime{3};
  static constexpr std::chrono::seconds kFirstRetry{1};
  static constexpr std::chrono::seconds kLongestRetry{30};
  // A run that lasted this long starts the retry delays afresh.
  static constexpr std::chrono::seconds kGoodRun{30};
  // No segment for this long while the input flows: nothing can be decoded.
  static constexpr std::chrono::seconds kStallTime{15};
  // A file is encoded at most this far ahead of the clock.
  static constexpr double kLeadSeconds = 8;
  // A live input that delivers ahead of the clock (a burst) is read at the
  // clock's pace beyond this; one that falls this far behind starts afresh.
  static constexpr double kMostAhead = 20;
  static constexpr double kMostBehind = 60;

  explicit ChannelPipeline(ChannelSource source);
  // Stops the thread (every blocking step ends at once) and waits for it.
  ~ChannelPipeline();
  ChannelPipeline(const ChannelPipeline&) = delete;
  ChannelPipeline& operator=(const ChannelPipeline&) = delete;

  // A viewer asks for the channel: keeps the pipeline running, starting it
  // when it is not.
  void Touch();
  // Tells the thread to stop without waiting for it (the server stops every
  // pipeline at once, then waits for each).
  void RequestStop();
  const ChannelTimeline& Timeline() const { return timeline_; }

 private:
  void Thread();
  // One run from opening the source to its end: why it ended, or empty
  // when the pipeline is idle or stopping.
  std::string RunOnce(std::uint64_t run);
  bool Idle() const;
  // Waits up to `time`; false when the pipeline must end (stop or idle).
  bool Pause(std::chrono::steady_clock::duration time);
  void Log(const std::string& text) const;

  ChannelSource source_;
  ChannelTimeline timeline_;
  std::atomic<bool> stop_{false};
  // When the last set-up asked (steady clock, nanoseconds).
  std::atomic<long long> last_touch_{0};

  std::mutex mutex_;  // guards running_ and thread_
  std::condition_variable wake_;
  bool running_ = false;
  std::thread thread_;
};

}  // namespace kestrova::server::media
