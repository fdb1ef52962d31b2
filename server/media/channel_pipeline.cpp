#include "media/channel_pipeline.h"

#include <cmath>
#include <iostream>

#include "media/channel_encoder.h"
#include "media/media_input.h"

namespace kestrova::server::media {
namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kCheckPeriod{250};
constexpr std::chrono::milliseconds kPacePause{100};
// A time stamp further than this from its stream's last one is a jump (a
// wrap, a spliced input): the stream goes on from where it was.
constexpr double kJumpBack = 1.0;
constexpr double kJumpAhead = 3.0;
constexpr double kAssumedPictureTime = 0.04;

double WallNow() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

long long SteadyNow() { return SteadyClock::now().time_since_epoch().count(); }

// Maps one stream's time stamps onto the run's time, continuing smoothly
// across jumps and filling in missing stamps.
class StreamClock {
 public:
  double Map(double at, double offset, double step) {
    if (!set_) {
      offset_ = offset;
      set_ = true;
    }
    double time = std::isnan(at) ? last_ + step : at + offset_;
    if (last_valid_ && (time < last_ - kJumpBack || time > last_ + kJumpAhead)) {
      time = last_ + step;
      if (!std::isnan(at)) offset_ = time - at;
    }
    last_ = time;
    last_valid_ = true;
    return time;
  }

 private:
  bool set_ = false;
  bool last_valid_ = false;
  double offset_ = 0;
  double last_ = 0;
};

}  // namespace

ChannelPipeline::ChannelPipeline(ChannelSource source) : source_(std::move(source)) {}

ChannelPipeline::~ChannelPipeline() {
  RequestStop();
  std::thread thread;
  {
    const std::lock_guard lock(mutex_);
    thread = std::move(thread_);
  }
  if (thread.joinable()) thread.join();
}

void ChannelPipeline::RequestStop() {
  {
    const std::lock_guard lock(mutex_);
    stop_.store(true);
  }
  wake_.notify_all();
}

void ChannelPipeline::Touch() {
  last_touch_.store(SteadyNow());
  const std::lock_guard lock(mutex_);
  if (running_ || stop_.load()) return;
  // A thread that ended for idleness is gone or about to be.
  if (thread_.joinable()) thread_.join();
  running_ = true;
  // Started on a request thread, so it inherits that thread's blocked
  // signals (the server's signal thread alone takes SIGINT and SIGTERM).
  thread_ = std::thread([this] { Thread(); });
}

bool ChannelPipeline::Idle() const {
  return SteadyNow() - last_touch_.load() > std::chrono::duration_cast<SteadyClock::duration>(kIdleTime).count();
}

bool ChannelPipeline::Pause(SteadyClock::duration time) {
  std::unique_lock lock(mutex_);
  wake_.wait_for(lock, time, [this] { return stop_.load(); });
  return !stop_.load() && !Idle();
}

void ChannelPipeline::Log(const std::string& text) const {
  std::cerr << ("kestrova-server: channel " + std::to_string(source_.channel) + " (" + source_.name + "): " + text +
                "\n")
            << std::flush;
}

void ChannelPipeline::Thread() {
  std::chrono::seconds retry = kFirstRetry;
  std::uint64_t run = 0;
  for (;;) {
    const auto began = SteadyClock::now();
    const std::string why = RunOnce(++run);
    if (stop_.load()) break;
    if (why.empty()) {
      // Idle: ends unless a set-up came meanwhile.
      const std::lock_guard lock(mutex_);
      if (Idle()) {
        running_ = false;
        Log("stopped, nobody watching");
        return;
      }
      continue;
    }
    if (SteadyClock::now() - began >= kGoodRun) retry = kFirstRetry;
    timeline_.SetError(why);
    Log(source_.address + ": " + why + "; trying again in " + std::to_string(retry.count()) + " s");
    if (!Pause(retry)) {
      if (stop_.load()) break;
      const std::lock_guard lock(mutex_);
      if (Idle()) {
        running_ = false;
        return;
      }
    }
    retry = std::min(retry * 2, kLongestRetry);
  }
  const std::lock_guard lock(mutex_);
  running_ = false;
}

std::string ChannelPipeline::RunOnce(std::uint64_t run) {
  MediaInput input(source_.address, stop_);
  if (std::string why = input.Open(); !why.empty()) return stop_.load() ? std::string() : why;
  const double opened = WallNow();
  const auto start = static_cast<std::time_t>(std::floor(opened));
  timeline_.BeginRun(run, input.Loops(), input.Title());
  ChannelEncoder encoder(run, start, timeline_);

  // A file: the run starts at the point the clock says, and every pass
  // through the file adds its length.
  double position = 0;
  double passes = 0;
  if (input.Loops()) {
    position = std::fmod(static_cast<double>(start), input.Duration());
    if (!input.Seek(position)) position = 0;
  }
  // A live input: its first time stamp is the moment it was opened.
  bool anchored = false;
  double anchor = 0;
  StreamClock picture_clock;
  StreamClock sound_clock;

  bool keyframe_seen = false;
  auto next_check = SteadyClock::now() + kCheckPeriod;
  std::int64_t published = -1;
  auto last_progress = SteadyClock::now();
  for (;;) {
    AVFrame* frame = nullptr;
    double at = 0;
    std::string why;
    const MediaInput::Got got = input.Next(frame, at, why);
    if (got == MediaInput::Got::kFailed) return stop_.load() ? std::string() : why;
    if (got == MediaInput::Got::kEnd) {
      if (!input.Loops()) return "the source ended";
      passes += input.Duration();
      if (!input.Seek(0)) return "cannot go back to the start of the file";
      continue;
    }
    const bool picture = got == MediaInput::Got::kPicture;
    // Pictures before the first whole one (a live input joined between
    // keyframes) are made of missing references: left out.
    if (picture && !keyframe_seen) {
      if (frame->key_frame == 0) continue;
      keyframe_seen = true;
    }
    double time = 0;
    if (input.Loops()) {
      time = (std::isnan(at) ? 0.0 : at) - position + passes;
    } else {
      if (!anchored && !std::isnan(at)) {
        anchor = (WallNow() - static_cast<double>(start)) - at;
        anchored = true;
      }
      const double step = picture ? kAssumedPictureTime
                                  : static_cast<double>(frame->nb_samples) / std::max(frame->sample_rate, 1);
      time = (picture ? picture_clock : sound_clock).Map(at, anchor, step);
    }
    if (picture) {
      encoder.Picture(*frame, time);
    } else {
      encoder.Sound(*frame, time);
    }
    if (!encoder.Failure().empty()) return encoder.Failure();

    const auto now = SteadyClock::now();
    if (now < next_check) continue;
    next_check = now + kCheckPeriod;
    if (stop_.load() || Idle()) return {};
    if (encoder.Published() != published) {
      published = encoder.Published();
      last_progress = now;
    } else if (now - last_progress > kStallTime) {
      return "nothing could be decoded for " + std::to_string(kStallTime.count()) + " s";
    }
    const double lead = static_cast<double>(start) + encoder.Head() - WallNow();
    if (!input.Loops() && lead < -kMostBehind) return "the input fell behind the clock";
    const double most = input.Loops() ? kLeadSeconds : kMostAhead;
    while (static_cast<double>(start) + encoder.Head() - WallNow() > most) {
      if (!Pause(kPacePause)) return {};
      last_progress = SteadyClock::now();
    }
  }
}

}  // namespace kestrova::server::media
