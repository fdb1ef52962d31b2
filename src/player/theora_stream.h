// The video side of the segment reader: the Theora logical stream, its
// headers, and the decoders. A decoder is kept from segment to segment while
// the format stays the same; a new format gets a decoder of its own, which
// takes over once the pictures of the old one have all been shown.
//
// The decoders and the two picture counters are shared with the video output,
// which draws on the audio device's notification thread: both sides hold
// Lock() while they touch them.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>

#include "player/ogg_handles.h"
#include "player/theora_handles.h"
#include "player/ycbcr_picture.h"

namespace kestrova::player {

class TheoraStream {
 public:
  // The largest coded frame a decoder is made for: the best quality a
  // channel is offered in. A header may name up to about a million pixels
  // each way; a decoder for a larger frame only costs memory (its reference
  // frames, and the colour conversion of each picture) for nothing the
  // screen could show.
  static constexpr std::uint32_t kMaxFrameWidth = 1280;
  static constexpr std::uint32_t kMaxFrameHeight = 720;

  TheoraStream() = default;
  TheoraStream(const TheoraStream&) = delete;
  TheoraStream& operator=(const TheoraStream&) = delete;

  // Between segments: fresh info and comment records, no headers counted.
  // The decoders, the setup and the stream state stay.
  void ResetSegment();

  // Takes one header packet of a segment. 3, 2, 1 for the identification,
  // comment and setup headers; 0 for the first picture packet (left to the
  // caller); negative when the packet is not an acceptable header.
  int HeaderIn(ogg_packet& packet);

  // Whether a decoder is made for the format: its coded frame is at most
  // kMaxFrameWidth wide and kMaxFrameHeight high.
  static bool PictureShowable(const th_info& info);

  // After a segment's headers: makes a decoder when the format changed.
  void PrepareDecoder();

  // Decodes one picture packet into the next decoder if there is one, else
  // into the current one. Negative when the packet is refused.
  int DecodePacket(ogg_packet& packet);

  // With Lock() held. The current decoder's latest picture, cropped to its
  // picture region; nullopt when there is no decoder or no picture yet.
  std::optional<YCbCrPicture> FetchPicture();
  // With Lock() held, after drawing: the next decoder takes over once every
  // picture of the current one has been fetched.
  void SwitchDecoder();

  std::mutex& Lock() { return lock_; }
  OggStream& Stream() { return stream_; }
  // The info of the current segment's headers (frame rate, picture size).
  const th_info& Info() const { return *info_; }

  // For the video output and tests; with Lock() held.
  bool HasDecoder() const { return current_.context != nullptr; }
  bool HasNextDecoder() const { return next_.context != nullptr; }
  int PendingInCurrent() const { return pendingInCurrent_; }
  int DecodedInNext() const { return decodedInNext_; }
  // Decoders made so far: a same-format segment makes none.
  int DecodersMade() const { return decodersMade_; }

 private:
  static constexpr int kIdentificationHeader = 3;
  static constexpr int kCommentHeader = 2;
  static constexpr int kSetupHeader = 1;

  void PromoteNext();

  OggStream stream_;
  TheoraInfo info_;
  th_info savedInfo_{};  // the format the latest decoder was made for
  TheoraComment comment_;
  TheoraSetup setup_;
  int headerCount_ = 0;
  bool newDecoderNeeded_ = false;

  std::mutex lock_;  // guards current_, next_, pendingInCurrent_, decodedInNext_
  TheoraDecoder current_;
  TheoraDecoder next_;
  int pendingInCurrent_ = 0;
  int decodedInNext_ = 0;
  int decodersMade_ = 0;
};

}  // namespace kestrova::player
