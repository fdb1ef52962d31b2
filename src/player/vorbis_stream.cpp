#include "player/vorbis_stream.h"

#include <algorithm>
#include <utility>

#include "player/pcm_block.h"

namespace kestrova::player {

void VorbisStream::InfoDeleter::operator()(vorbis_info* info) const {
  vorbis_info_clear(info);
  std::default_delete<vorbis_info>()(info);
}

VorbisStream::InfoPtr VorbisStream::NewInfo() {
  InfoPtr info(std::make_unique<vorbis_info>().release());
  vorbis_info_init(info.get());
  return info;
}

VorbisStream::VorbisStream() : info_(NewInfo()), active_(NewInfo()) { vorbis_comment_init(&comment_); }

VorbisStream::~VorbisStream() {
  ClearSynthesis();
  vorbis_comment_clear(&comment_);
}

void VorbisStream::ResetSegment() {
  vorbis_comment_clear(&comment_);
  vorbis_comment_init(&comment_);
  info_ = NewInfo();
  headerCount_ = 0;
  formatChanged_ = false;
}

bool VorbisStream::HeaderIn(ogg_packet& packet) {
  if (vorbis_synthesis_headerin(info_.get(), &comment_, &packet) != 0) return false;
  ++headerCount_;
  return true;
}

VorbisStream::Format VorbisStream::FormatOf(const vorbis_info& info) {
  return Format{info.version,         info.channels,      info.rate,          info.bitrate_upper,
                info.bitrate_nominal, info.bitrate_lower, info.bitrate_window};
}

void VorbisStream::ClearSynthesis() {
  if (!synthesisReady_) return;
  vorbis_block_clear(&block_);
  vorbis_dsp_clear(&dsp_);
  synthesisReady_ = false;
}

void VorbisStream::PrepareSynthesis() {
  if (headerCount_ == 0) return;
  const Format format = FormatOf(*info_);
  if (synthesisReady_ && format == savedFormat_) return;
  ClearSynthesis();
  // The active info now owns the new set-up; the segment's record starts
  // afresh so that the next reset does not free what synthesis uses.
  active_ = std::exchange(info_, NewInfo());
  if (vorbis_synthesis_init(&dsp_, active_.get()) != 0) {
    // Headers that the decoder cannot run: no sound until a new format.
    vorbis_dsp_clear(&dsp_);
    savedFormat_ = Format{};
    return;
  }
  vorbis_block_init(&dsp_, &block_);
  synthesisReady_ = true;
  savedFormat_ = format;
  formatChanged_ = true;
}

bool VorbisStream::Synthesize(ogg_packet& packet) {
  if (!synthesisReady_) return false;
  if (vorbis_synthesis(&block_, &packet) != 0) return false;
  vorbis_synthesis_blockin(&dsp_, &block_);
  return true;
}

std::size_t VorbisStream::ConvertPcm(std::span<std::uint8_t> block, std::size_t filled) {
  if (!synthesisReady_) return 0;
  const int channels = active_->channels;
  const std::size_t frameBytes = static_cast<std::size_t>(kBytesPerSample) * static_cast<std::size_t>(channels);
  const auto room = static_cast<int>((block.size() - filled) / frameBytes);
  ogg_int32_t** pcm = nullptr;
  const int available = vorbis_synthesis_pcmout(&dsp_, &pcm);
  const int count = std::min(room, available);
  if (count <= 0) return 0;
  std::uint8_t* out = block.data() + filled;
  for (int c = 0; c < channels; ++c) {
    const ogg_int32_t* source = pcm[c];
    std::uint8_t* sample = out + static_cast<std::size_t>(c) * kBytesPerSample;
    for (int j = 0; j < count; ++j, sample += frameBytes) {
      const auto value = static_cast<std::uint16_t>(PcmSample(source[j]));
      sample[0] = static_cast<std::uint8_t>(value & 0xFFU);
      sample[1] = static_cast<std::uint8_t>(value >> 8);
    }
  }
  vorbis_synthesis_read(&dsp_, count);
  return static_cast<std::size_t>(count) * frameBytes;
}

}  // namespace kestrova::player
