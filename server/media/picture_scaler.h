// Turns a decoded source picture into the picture of each stream quality:
// the source's display shape kept (its sample aspect ratio included) and
// fitted into the quality's size with black bars, in the full-range BT.601
// Y'CbCr the client converts from. The source is scaled once, to the
// largest quality's size; the smaller ones are made from that. An
// interlaced source much taller than the largest picture is read one field
// only (every other line), which costs nothing and leaves no combing.
#pragma once

#include <cstdint>
#include <vector>

#include "media/ffmpeg_handles.h"
#include "segment_encoder/picture.h"

namespace kestrova::server::media {

struct PictureTarget {
  int width = 0;         // the picture region
  int height = 0;
  int frame_width = 0;   // the coded frame around it
  int frame_height = 0;
};

// Where a picture of display aspect `aspect` lies inside a width x height
// picture of square pixels: even sizes and offsets, centred.
struct FittedArea {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};
FittedArea FitInside(double aspect, int width, int height);

class PictureScaler {
 public:
  // The first target must be the largest.
  explicit PictureScaler(std::vector<PictureTarget> targets);

  // Target `index`'s picture of `frame`; `generation` names the source
  // picture, so that each is scaled once however many targets use it.
  // Null when the frame cannot be converted.
  const encoder::Picture* Scaled(std::size_t index, const AVFrame& frame, std::uint64_t generation);

 private:
  struct Target {
    PictureTarget size;
    encoder::Picture picture;
    FittedArea area;
    ScalerHandle scaler;
    std::uint64_t generation = 0;
  };

  bool ScaleMaster(const AVFrame& frame);
  static void Clear(encoder::Picture& picture);

  std::vector<Target> targets_;
  ScalerHandle source_scaler_;
  // What source_scaler_ was made for.
  int source_width_ = 0;
  int source_height_ = 0;
  int source_format_ = -1;
  int source_space_ = -1;
  int source_range_ = -1;
  bool field_ = false;
  double aspect_ = 0;
  std::uint64_t master_generation_ = 0;
};

}  // namespace kestrova::server::media
