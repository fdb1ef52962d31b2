#include "media/sound_resampler.h"

namespace kestrova::server::media {

SoundResampler::SoundResampler(int rate, int channels)
    : rate_(rate), channels_(channels), planes_(static_cast<std::size_t>(channels)),
      pointers_(static_cast<std::size_t>(channels), nullptr) {}

bool SoundResampler::Prepare(const AVFrame& frame) {
  AVChannelLayout layout{};
  if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || frame.ch_layout.nb_channels <= 0) {
    av_channel_layout_default(&layout, frame.ch_layout.nb_channels > 0 ? frame.ch_layout.nb_channels : 1);
  } else if (av_channel_layout_copy(&layout, &frame.ch_layout) < 0) {
    return false;
  }
  const bool same = resampler_ && frame.sample_rate == in_rate_ && frame.format == in_format_ &&
                    av_channel_layout_compare(&layout, &in_layout_) == 0;
  if (same) {
    av_channel_layout_uninit(&layout);
    return true;
  }
  av_channel_layout_uninit(&in_layout_);
  in_layout_ = layout;
  in_rate_ = frame.sample_rate;
  in_format_ = frame.format;
  AVChannelLayout out{};
  av_channel_layout_default(&out, channels_);
  SwrContext* raw = nullptr;
  const int made = swr_alloc_set_opts2(&raw, &out, AV_SAMPLE_FMT_FLTP, rate_, &in_layout_,
                                       static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0, nullptr);
  av_channel_layout_uninit(&out);
  resampler_.reset(raw);
  if (made < 0 || !resampler_ || swr_init(resampler_.get()) < 0) {
    resampler_.reset();
    return false;
  }
  return true;
}

int SoundResampler::Convert(const AVFrame& frame) {
  if (frame.sample_rate <= 0 || frame.nb_samples < 0 || !Prepare(frame)) return -1;
  const int room = swr_get_out_samples(resampler_.get(), frame.nb_samples);
  if (room < 0) return -1;
  for (std::size_t c = 0; c < planes_.size(); ++c) {
    if (planes_[c].size() < static_cast<std::size_t>(room)) planes_[c].resize(static_cast<std::size_t>(room));
    pointers_[c] = planes_[c].data();
  }
  const auto** in = const_cast<const std::uint8_t**>(frame.extended_data);
  const int made = swr_convert(resampler_.get(), reinterpret_cast<std::uint8_t**>(pointers_.data()), room, in,
                               frame.nb_samples);
  return made;
}

}  // namespace kestrova::server::media
