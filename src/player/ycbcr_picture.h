// A decoded picture as the video output reads it: three planes of 8-bit
// samples. The chroma planes may be subsampled by two across (4:2:2), across
// and down (4:2:0), or not at all (4:4:4); each plane carries its own size and
// row stride, which may be negative (rows stored bottom-up).
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrova::player {

struct PicturePlane {
  const std::uint8_t* data = nullptr;  // top left sample
  int width = 0;
  int height = 0;
  std::ptrdiff_t stride = 0;  // bytes from one row to the next

  const std::uint8_t* Row(int row) const { return data + static_cast<std::ptrdiff_t>(row) * stride; }
};

struct YCbCrPicture {
  PicturePlane luma;
  PicturePlane cb;
  PicturePlane cr;

  bool Empty() const { return luma.data == nullptr || luma.width <= 0 || luma.height <= 0; }
  // 1 when a chroma sample covers two luma samples in that direction.
  int ChromaShiftX() const { return cb.width < luma.width ? 1 : 0; }
  int ChromaShiftY() const { return cb.height < luma.height ? 1 : 0; }
};

}  // namespace kestrova::player
