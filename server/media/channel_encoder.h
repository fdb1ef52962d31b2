// Encodes one pipeline run of a channel into segments of every stream
// quality, as the decoded source arrives: pictures are picked for each
// quality's frame times (the latest source picture at or before each one),
// scaled and encoded at once by that quality's encoder for the segment;
// sound is resampled and encoded once per segment, for every quality, by
// the segment's own sound encoder. A segment is put together and published
// to the timeline as soon as every quality has its pictures and its sound is
// whole.
//
// Times are seconds after the run's start on the channel's clock. Sound is
// placed by its time stamps: a gap of more than kSoundSlack is filled with
// silence, an overlap dropped, smaller jitter ignored so the sound stays
// seamless. When one side stalls (pictures without sound or the other way
// round) for more than kStallSeconds, the last picture is repeated or
// silence filled in, so that segments still come out.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "media/channel_timeline.h"
#include "media/ffmpeg_handles.h"
#include "media/picture_scaler.h"
#include "media/sound_resampler.h"
#include "segment_encoder/segment_video.h"
#include "segment_encoder/segment_sound.h"
#include "stream_qualities.h"

namespace kestrova::server::media {

class ChannelEncoder {
 public:
  static constexpr double kSoundSlack = 0.05;
  static constexpr double kStallSeconds = 2.0;

  ChannelEncoder(std::uint64_t run, std::time_t start, ChannelTimeline& timeline);

  // Empty while the encoders work.
  const std::string& Failure() const { return failure_; }
  std::uint64_t Run() const { return run_; }
  std::time_t Start() const { return start_; }
  std::int64_t Published() const { return next_publish_; }

  void Picture(const AVFrame& frame, double at);
  void Sound(const AVFrame& frame, double at);
  // Seconds after the start up to which both pictures and sound are encoded.
  double Head() const;

 private:
  struct Track {
    encoder::PictureFormat format;
    std::int64_t next_slot = 0;  // frame number from the run's start
    std::int64_t segment = -1;   // of `video`
    std::unique_ptr<encoder::SegmentVideo> video;
    std::map<std::int64_t, std::unique_ptr<encoder::SegmentVideo>> finished;
  };

  double SlotTime(const Track& track, std::int64_t slot) const;
  // Pictures for every frame time of every quality before `until`.
  void FillSlots(double until, bool include_equal);
  void Emit(std::size_t index, Track& track);
  void WriteSound(const float* const* planes, int count);
  void WriteSilence(std::int64_t count);
  double SoundTime() const;
  void PublishReady();
  void Fail(std::string why);

  std::uint64_t run_;
  std::time_t start_;
  ChannelTimeline& timeline_;
  PictureScaler scaler_;
  SoundResampler resampler_;
  std::int64_t sound_written_ = 0;  // samples from the run's start
  std::int64_t sound_segment_ = 0;  // of sound_
  std::unique_ptr<encoder::SegmentSound> sound_;
  std::map<std::int64_t, std::unique_ptr<encoder::SegmentSound>> finished_sound_;
  std::array<Track, kStreamQualityCount> tracks_;  // index = quality number - 1
  FrameHandle latest_{av_frame_alloc()};  // the newest source picture
  std::uint64_t generation_ = 0;          // of latest_; 0: none yet
  double latest_at_ = 0;
  std::int64_t next_publish_ = 0;
  std::string failure_;
};

}  // namespace kestrova::server::media
