#include "media/channel_encoder.h"

#include <algorithm>
#include <cmath>

#include "media/segment_plan.h"
#include "segment_encoder/segment_assembly.h"

namespace kestrova::server::media {
namespace {

constexpr std::size_t kChunk = 4096;
// Once a side has stalled, the other one is filled up to this far behind it.
constexpr double kStallFillBehind = 1.0;

std::vector<PictureTarget> Targets() {
  std::vector<PictureTarget> targets;
  // Largest first: the scaler makes the others from it.
  for (int quality = kStreamQualityCount; quality >= 1; --quality) {
    const StreamQuality& q = kStreamQualities[static_cast<std::size_t>(quality - 1)];
    targets.push_back(PictureTarget{q.width, q.height, encoder::CodedSide(q.width), encoder::CodedSide(q.height)});
  }
  return targets;
}

std::size_t ScalerIndex(std::size_t track) { return static_cast<std::size_t>(kStreamQualityCount) - 1 - track; }

}  // namespace

ChannelEncoder::ChannelEncoder(std::uint64_t run, std::time_t start, ChannelTimeline& timeline)
    : run_(run), start_(start), timeline_(timeline), scaler_(Targets()),
      resampler_(kStreamSampleRate, kStreamChannels) {
  for (std::size_t i = 0; i < tracks_.size(); ++i) {
    const StreamQuality& q = kStreamQualities[i];
    tracks_[i].format = encoder::PictureFormat{q.width, q.height, q.fps, 1, q.video_quality, encoder::ChromaFormat::k420};
  }
  if (!latest_) Fail("out of memory");
}

void ChannelEncoder::Fail(std::string why) {
  if (failure_.empty()) failure_ = std::move(why);
}

double ChannelEncoder::SlotTime(const Track& track, std::int64_t slot) const {
  return static_cast<double>(slot) / track.format.fpsNumerator;
}

double ChannelEncoder::SoundTime() const { return static_cast<double>(sound_written_) / kStreamSampleRate; }

double ChannelEncoder::Head() const {
  double head = SoundTime();
  for (const Track& track : tracks_) head = std::min(head, SlotTime(track, track.next_slot));
  return head;
}

void ChannelEncoder::Picture(const AVFrame& frame, double at) {
  if (!failure_.empty()) return;
  if (generation_ != 0) FillSlots(at, false);
  av_frame_unref(latest_.get());
  if (av_frame_ref(latest_.get(), &frame) < 0) return Fail("out of memory");
  ++generation_;
  latest_at_ = at;
  if (generation_ == 1) FillSlots(at, true);  // nothing earlier to show before it
  // Sound stalled: silence, so that the pictures still make segments.
  if (latest_at_ - SoundTime() > kStallSeconds) {
    WriteSilence(std::llround((latest_at_ - kStallFillBehind) * kStreamSampleRate) - sound_written_);
  }
  PublishReady();
}

void ChannelEncoder::FillSlots(double until, bool include_equal) {
  for (std::size_t i = 0; i < tracks_.size() && failure_.empty(); ++i) {
    Track& track = tracks_[i];
    for (;;) {
      const double slot = SlotTime(track, track.next_slot);
      if (include_equal ? slot > until : slot >= until) break;
      Emit(i, track);
      if (!failure_.empty()) return;
    }
  }
}

void ChannelEncoder::Emit(std::size_t index, Track& track) {
  const std::int64_t fps = track.format.fpsNumerator;
  const std::int64_t segment = SegmentPlan::At(track.next_slot / fps);
  if (!track.video || track.segment != segment) {
    if (track.video) {
      track.video->Finish();
      track.finished[track.segment] = std::move(track.video);
    }
    track.video = std::make_unique<encoder::SegmentVideo>(track.format);
    track.segment = segment;
    if (!track.video->Ok()) return Fail("the picture encoder cannot be set up");
  }
  const encoder::Picture* picture = scaler_.Scaled(ScalerIndex(index), *latest_, generation_);
  if (picture == nullptr) return Fail("the pictures cannot be converted");
  if (!track.video->Add(*picture)) return Fail("the picture encoder failed");
  ++track.next_slot;
  if (track.next_slot == SegmentPlan::End(segment) * fps) {
    track.video->Finish();
    track.finished[segment] = std::move(track.video);
  }
}

void ChannelEncoder::Sound(const AVFrame& frame, double at) {
  if (!failure_.empty()) return;
  const int count = resampler_.Convert(frame);
  if (count < 0) return Fail("the sound cannot be converted");
  const std::int64_t slack = std::llround(kSoundSlack * kStreamSampleRate);
  const std::int64_t expected = std::llround(at * kStreamSampleRate);
  const std::int64_t written = sound_written_;
  if (expected > written + slack) WriteSilence(expected - written);
  std::int64_t skip = 0;
  if (expected < 0) skip = -expected;
  if (expected < written - slack) skip = std::max(skip, written - expected);
  if (skip < count) {
    const float* planes[kStreamChannels];
    for (int c = 0; c < kStreamChannels; ++c) planes[c] = resampler_.Planes()[c] + skip;
    WriteSound(planes, count - static_cast<int>(skip));
  }
  // Pictures stalled: the last one goes on, so that the sound still makes
  // segments.
  if (generation_ != 0 && SoundTime() - Head() > kStallSeconds) FillSlots(SoundTime() - kStallFillBehind, false);
  PublishReady();
}

void ChannelEncoder::WriteSound(const float* const* planes, int count) {
  const float* at[kStreamChannels];
  for (int c = 0; c < kStreamChannels; ++c) at[c] = planes[c];
  while (count > 0 && failure_.empty()) {
    if (!sound_) {
      sound_ = std::make_unique<encoder::SegmentSound>(kStreamSampleRate, kStreamChannels, kStreamAudioQuality);
      if (!sound_->Ok()) return Fail("the sound encoder cannot be set up");
    }
    const std::int64_t end = SegmentPlan::End(sound_segment_) * kStreamSampleRate;
    const auto n = static_cast<int>(std::min<std::int64_t>(count, end - sound_written_));
    sound_->Add(at, n);
    sound_written_ += n;
    count -= n;
    for (const float*& plane : at) plane += n;
    if (sound_written_ == end) {
      sound_->Finish();
      finished_sound_[sound_segment_++] = std::move(sound_);
    }
  }
}

void ChannelEncoder::WriteSilence(std::int64_t count) {
  static const std::vector<float> kZeros(kChunk, 0.0F);
  const float* planes[kStreamChannels];
  for (const float*& plane : planes) plane = kZeros.data();
  while (count > 0) {
    const auto n = static_cast<int>(std::min<std::int64_t>(count, kChunk));
    WriteSound(planes, n);
    count -= n;
  }
}

void ChannelEncoder::PublishReady() {
  while (failure_.empty()) {
    const std::int64_t index = next_publish_;
    const auto sound = finished_sound_.find(index);
    if (sound == finished_sound_.end()) break;
    const bool pictures = std::all_of(tracks_.begin(), tracks_.end(),
                                      [&](const Track& track) { return track.finished.count(index) != 0; });
    if (!pictures) break;
    auto encoded = std::make_shared<EncodedSegment>();
    for (std::size_t i = 0; i < tracks_.size(); ++i) {
      encoded->bytes[i] = encoder::AssembleSegment(*tracks_[i].finished.at(index), *sound->second, kStreamSampleRate,
                                                   static_cast<std::uint32_t>(index * 2 + 1));
    }
    timeline_.Publish(LiveSegment{run_, start_ + static_cast<std::time_t>(SegmentPlan::Start(index)),
                                  SegmentPlan::Length(index), std::move(encoded)},
                      std::time(nullptr));
    for (Track& track : tracks_) track.finished.erase(index);
    finished_sound_.erase(sound);
    ++next_publish_;
  }
  timeline_.SetHead(static_cast<double>(start_) + Head());
}

}  // namespace kestrova::server::media
