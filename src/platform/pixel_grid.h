// An owned rectangle of pixels in rows without padding: the storage of the
// RGB565 bitmaps the program draws into and of the 32-bit ARGB pictures it
// decodes. Plain memory, so every layer can hold pictures without knowing
// how the window shows them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "platform/rect.h"

namespace kestrova::platform {

template <typename Pixel>
class PixelGrid {
 public:
  // Pictures larger than this many pixels are refused (left empty): sizes
  // can come from decoded files.
  static constexpr std::int64_t kMaxPixels = std::int64_t{1} << 26;

  PixelGrid() = default;
  // An empty grid when the size is not positive, too large, or memory runs
  // out; otherwise every pixel is 0.
  PixelGrid(int width, int height) {
    if (width <= 0 || height <= 0) return;
    if (std::int64_t{width} * height > kMaxPixels) return;
    try {
      pixels_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), Pixel{0});
    } catch (const std::bad_alloc&) {
      return;
    }
    width_ = width;
    height_ = height;
  }

  bool Empty() const { return pixels_.empty(); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  Rect Bounds() const { return {0, 0, width_, height_}; }
  // Bytes from one row to the next.
  int Pitch() const { return width_ * static_cast<int>(sizeof(Pixel)); }

  Pixel* Row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_); }
  const Pixel* Row(int y) const {
    return pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
  }
  Pixel PixelAt(int x, int y) const { return Row(y)[x]; }
  const Pixel* Data() const { return pixels_.data(); }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<Pixel> pixels_;
};

}  // namespace kestrova::platform
