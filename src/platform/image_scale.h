// Shrinking a picture by area averaging: every output pixel is the mean of
// the source area it covers, weighted by how much of each source pixel lies
// in it. Colours are averaged in proportion to their opacity, so the fully
// transparent surroundings of a logo add nothing to the colour of its edge
// (no dark or coloured fringe), only to its transparency.
//
// The source arrives one row at a time, top to bottom, so a large decoded
// picture can be read row by row without a full-size copy in another format.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/argb_image.h"
#include "platform/image_size.h"

namespace kestrova::platform {

// The largest size with the picture's proportions that fits the box, never
// larger than the picture; at least 1 x 1 for a non-empty picture.
ImageSize FitInBox(int width, int height, int maxWidth, int maxHeight);

class AreaScaler {
 public:
  // Shrinks a width x height source to the target's size (neither side
  // larger than the source's). An empty target or source makes a scaler
  // that takes rows and produces nothing.
  AreaScaler(int sourceWidth, int sourceHeight, ArgbImage& target);

  // The next source row, sourceWidth pixels of 0xAARRGGBB. Rows past the
  // last are ignored. Allocation-free.
  void AddRow(const std::uint32_t* row);

  // Whether every source row has been taken (the target is complete).
  bool Done() const { return sourceRow_ >= sourceHeight_; }

 private:
  struct Sums {
    std::uint64_t alpha = 0;
    std::uint64_t red = 0;  // colour channels weighted by alpha
    std::uint64_t green = 0;
    std::uint64_t blue = 0;
  };
  // Where one source column falls: its first output column and the part of
  // it in that column (the rest goes to the next one).
  struct ColumnSpan {
    int column = 0;
    std::uint32_t firstWeight = 0;
  };

  void EmitRow();

  int sourceWidth_;
  int sourceHeight_;
  ArgbImage& target_;
  std::vector<ColumnSpan> columns_;
  std::vector<Sums> line_;  // the current source row, reduced to the output's width
  std::vector<Sums> rows_;  // the output row being gathered
  int sourceRow_ = 0;
  int outputRow_ = 0;
};

// The picture reduced to fit within maxWidth x maxHeight (proportions
// kept); the picture itself when it already fits. Empty for an empty
// picture or a box smaller than 1 x 1.
ArgbImage ShrinkToFit(const ArgbImage& picture, int maxWidth, int maxHeight);

}  // namespace kestrova::platform
