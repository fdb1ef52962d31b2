// An owned RGB565 picture: the off-screen buffers and the decoded skin
// images the program composes its frames from.
#pragma once

#include <cstdint>

#include "platform/messages.h"
#include "platform/sdl_handles.h"

namespace kestrova::platform {

class Bitmap {
 public:
  Bitmap() = default;
  // An empty bitmap when the size is not positive or memory runs out.
  Bitmap(int width, int height);

  bool Empty() const { return !surface_; }
  int Width() const { return surface_ ? surface_->w : 0; }
  int Height() const { return surface_ ? surface_->h : 0; }
  Rect Bounds() const { return {0, 0, Width(), Height()}; }

  std::uint16_t* Row(int y) {
    return reinterpret_cast<std::uint16_t*>(static_cast<std::uint8_t*>(surface_->pixels) + y * surface_->pitch);
  }
  const std::uint16_t* Row(int y) const {
    return reinterpret_cast<const std::uint16_t*>(static_cast<const std::uint8_t*>(surface_->pixels) +
                                                  y * surface_->pitch);
  }
  std::uint16_t Pixel(int x, int y) const { return Row(y)[x]; }

  SDL_Surface* Surface() const { return surface_.get(); }

 private:
  SurfacePtr surface_;
};

}  // namespace kestrova::platform
