// Turns decoded source sound (any rate, sample format and channel layout:
// mono, stereo, 5.1, ...) into the streams' one sound format, planar float
// at the stream rate, mixed down or up to the stream's channels.
#pragma once

#include <vector>

#include "media/ffmpeg_handles.h"

namespace kestrova::server::media {

class SoundResampler {
 public:
  SoundResampler(int rate, int channels);
  ~SoundResampler() { av_channel_layout_uninit(&in_layout_); }
  SoundResampler(const SoundResampler&) = delete;
  SoundResampler& operator=(const SoundResampler&) = delete;

  // Converts the frame; the result stays in Planes() until the next call.
  // Returns the samples per channel, or -1 when the sound cannot be
  // converted.
  int Convert(const AVFrame& frame);
  const float* const* Planes() const { return pointers_.data(); }

 private:
  bool Prepare(const AVFrame& frame);

  int rate_;
  int channels_;
  ResamplerHandle resampler_;
  // What resampler_ was made for.
  int in_rate_ = 0;
  int in_format_ = -1;
  AVChannelLayout in_layout_{};
  std::vector<std::vector<float>> planes_;
  std::vector<float*> pointers_;
};

}  // namespace kestrova::server::media
