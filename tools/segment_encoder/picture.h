// A picture as the Theora encoder takes it: the coded frame (whole 16 x 16
// blocks) in full-range Y'CbCr, the conversion the client undoes, with the
// chroma planes subsampled as the segment's format says.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestrova::encoder {

struct Plane {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> samples;  // rows packed at `width`

  std::uint8_t& At(int x, int y) {
    return samples[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
  }
  std::uint8_t At(int x, int y) const {
    return samples[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
  }
};

struct Picture {
  Plane luma;
  Plane cb;
  Plane cr;
};

}  // namespace kestrova::encoder
