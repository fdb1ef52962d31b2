// Nearest-neighbour scaling of a converted picture into the destination
// rectangle with a 16.16 step. The picture is anchored at the rectangle's
// start corner; destination pixels that sample outside the picture are
// black. Allocation-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace kestrova::player {

struct ScaleSource {
  std::span<const std::uint16_t> pixels;  // rows packed at `columns`
  int columns = 0;
  int rows = 0;
};

struct ScaleTarget {
  std::uint16_t* start = nullptr;  // destination row 0, column 0
  std::ptrdiff_t rowStep = 0;      // pixels from one destination row to the next
  int columns = 0;
  int rows = 0;
};

void Scale(const ScaleSource& source, const ScaleTarget& target, int step);

}  // namespace kestrova::player
