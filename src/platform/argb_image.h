// An owned 32-bit picture, 0xAARRGGBB per pixel: decoded PNG and JPEG
// images (skin images, channel logos, video previews) before or instead of
// their conversion to the screen format.
#pragma once

#include <cstdint>

#include "platform/pixel_grid.h"

namespace kestrova::platform {

class ArgbImage : public PixelGrid<std::uint32_t> {
 public:
  using PixelGrid::PixelGrid;
};

}  // namespace kestrova::platform
