// One quality's pictures of one segment: a fresh Theora encoder per segment,
// so that every segment starts with a keyframe and carries its own headers.
// Pictures are encoded as they come; the segment's last packet is marked as
// the end of its stream when the segment is finished.
#pragma once

#include <memory>
#include <vector>

#include "segment_encoder/coded_packet.h"
#include "segment_encoder/theora_encoder.h"

namespace kestrova::encoder {

class SegmentVideo {
 public:
  explicit SegmentVideo(const PictureFormat& format);

  bool Ok() const { return ok_; }
  const PictureFormat& Format() const { return format_; }
  int FrameWidth() const { return encoder_->FrameWidth(); }
  int FrameHeight() const { return encoder_->FrameHeight(); }
  // One picture of the coded frame's size.
  bool Add(const Picture& picture);
  // Marks the last packet; no pictures may follow.
  void Finish();

  int Pictures() const { return pictures_; }
  const std::vector<CodedPacket>& Headers() const { return headers_; }
  const std::vector<CodedPacket>& Packets() const { return packets_; }

 private:
  PictureFormat format_;
  std::unique_ptr<TheoraEncoder> encoder_;
  std::vector<CodedPacket> headers_;
  std::vector<CodedPacket> packets_;
  int pictures_ = 0;
  bool ok_ = false;
};

}  // namespace kestrova::encoder
