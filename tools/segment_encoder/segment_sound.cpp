#include "segment_encoder/segment_sound.h"

#include <algorithm>

#include "segment_encoder/vorbis_encoder.h"

namespace kestrova::encoder {

SegmentSound::SegmentSound(int sampleRate, int channels, float quality)
    : channels_(channels), encoder_(std::make_unique<VorbisEncoder>(channels, sampleRate, quality)) {
  if (!encoder_->Ok()) return;
  encoder_->Headers([this](ogg_packet& packet) { headers_.push_back(CodedPacket::From(packet)); });
}

SegmentSound::~SegmentSound() = default;

bool SegmentSound::Ok() const { return encoder_->Ok() && headers_.size() == 3; }

void SegmentSound::Add(const float* const* planes, int count) {
  if (count <= 0 || finished_ || !Ok()) return;
  encoder_->Encode(
      count,
      [&](float** channels, int n) {
        for (int c = 0; c < channels_; ++c) std::copy(planes[c], planes[c] + n, channels[c]);
      },
      [&](ogg_packet& packet) { packets_.push_back(CodedPacket::From(packet)); });
  samples_ += count;
}

void SegmentSound::Finish() {
  if (finished_ || !Ok()) return;
  finished_ = true;
  encoder_->Encode(0, [](float**, int) {}, [&](ogg_packet& packet) { packets_.push_back(CodedPacket::From(packet)); });
}

}  // namespace kestrova::encoder
