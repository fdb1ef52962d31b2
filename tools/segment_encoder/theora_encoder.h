// libtheora's encoder for one segment's pictures, set to its fastest speed
// level: segments must be made faster than they play.
#pragma once

#include <theora/theoraenc.h>

#include <functional>
#include <memory>

#include "segment_encoder/picture.h"
#include "segment_encoder/segment_recipe.h"

namespace kestrova::encoder {

// What a run of pictures is: the picture region's size (the coded frame
// rounds it up to whole blocks), rate, quality and chroma format.
struct PictureFormat {
  int width = 0;
  int height = 0;
  int fpsNumerator = 25;
  int fpsDenominator = 1;
  int quality = 32;  // Theora 0..63
  ChromaFormat chroma = ChromaFormat::k420;
};

// Coded frame sides: whole 16 x 16 blocks.
int CodedSide(int side);

class TheoraEncoder {
 public:
  using PacketSink = std::function<void(ogg_packet&)>;

  explicit TheoraEncoder(const PictureFormat& format);
  explicit TheoraEncoder(const SegmentRecipe& recipe);
  bool Ok() const { return context_ != nullptr; }
  int FrameWidth() const { return frameWidth_; }
  int FrameHeight() const { return frameHeight_; }

  // The three header packets, identification header first.
  bool Headers(const PacketSink& sink);
  // One picture (of the coded frame's size); `last` marks the stream's final
  // picture.
  bool Encode(const Picture& frame, bool last, const PacketSink& sink);
  double GranuleTime(ogg_int64_t granule) { return th_granule_time(context_.get(), granule); }

 private:
  struct Deleter {
    void operator()(th_enc_ctx* context) const { th_encode_free(context); }
  };

  int frameWidth_ = 0;
  int frameHeight_ = 0;
  std::unique_ptr<th_enc_ctx, Deleter> context_;
};

}  // namespace kestrova::encoder
