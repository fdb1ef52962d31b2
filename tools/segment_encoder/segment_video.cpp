#include "segment_encoder/segment_video.h"

namespace kestrova::encoder {

SegmentVideo::SegmentVideo(const PictureFormat& format)
    : format_(format), encoder_(std::make_unique<TheoraEncoder>(format)) {
  if (!encoder_->Ok()) return;
  ok_ = encoder_->Headers([this](ogg_packet& packet) { headers_.push_back(CodedPacket::From(packet)); }) &&
        headers_.size() == 3;
}

bool SegmentVideo::Add(const Picture& picture) {
  if (!ok_) return false;
  ok_ = encoder_->Encode(picture, false, [this](ogg_packet& packet) { packets_.push_back(CodedPacket::From(packet)); });
  if (ok_) ++pictures_;
  return ok_;
}

void SegmentVideo::Finish() {
  if (!packets_.empty()) packets_.back().last = true;
}

}  // namespace kestrova::encoder
