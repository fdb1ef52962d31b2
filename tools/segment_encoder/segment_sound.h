// One segment's sound: a Vorbis stream of its own, encoded as the samples
// come and ended (with the exact sample count) when the segment is whole. A
// fresh stream per segment is what keeps a player that carries its sound
// decoder from segment to segment exact: it takes one frame's worth of sound
// per picture and drops what is left at a segment's end, so every segment
// must decode to exactly its own length. The segments of one channel all
// share one format (identical headers), so such a player never reopens its
// sound output between them.
#pragma once

#include <memory>
#include <vector>

#include "segment_encoder/coded_packet.h"

namespace kestrova::encoder {

class VorbisEncoder;

class SegmentSound {
 public:
  SegmentSound(int sampleRate, int channels, float quality);
  ~SegmentSound();
  SegmentSound(const SegmentSound&) = delete;
  SegmentSound& operator=(const SegmentSound&) = delete;

  bool Ok() const;
  // Encodes `count` more samples of each channel (planes[c][i]).
  void Add(const float* const* planes, int count);
  // Ends the stream; no samples may follow.
  void Finish();

  long Samples() const { return samples_; }
  const std::vector<CodedPacket>& Headers() const { return headers_; }
  const std::vector<CodedPacket>& Packets() const { return packets_; }

 private:
  int channels_;
  std::unique_ptr<VorbisEncoder> encoder_;
  std::vector<CodedPacket> headers_;
  std::vector<CodedPacket> packets_;
  long samples_ = 0;
  bool finished_ = false;
};

}  // namespace kestrova::encoder
