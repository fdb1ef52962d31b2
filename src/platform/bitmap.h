// An owned RGB565 picture: the off-screen buffers and the decoded skin
// images the program composes its frames from.
#pragma once

#include <cstdint>

#include "platform/pixel_grid.h"

namespace kestrova::platform {

class Bitmap : public PixelGrid<std::uint16_t> {
 public:
  using PixelGrid::PixelGrid;

  std::uint16_t Pixel(int x, int y) const { return PixelAt(x, y); }
};

}  // namespace kestrova::platform
