// Converts a decoded picture to the display's 16-bit RGB 5-6-5, either
// straight (W columns x H rows) or turned a quarter counter-clockwise for
// full-screen viewing (H columns x W rows: source pixel (x, y) lands in row
// W - 1 - x, column y). The output is a plain buffer with rows packed at
// their width. Allocation-free.
#pragma once

#include <cstdint>
#include <span>

#include "player/colour_table.h"
#include "player/ycbcr_picture.h"

namespace kestrova::player {

// `out` must hold luma width x luma height pixels; false (nothing written)
// when it does not or the picture is empty.
[[nodiscard]] bool ConvertStraight(const YCbCrPicture& picture, const ColourTable& table, std::span<std::uint16_t> out);
[[nodiscard]] bool ConvertRotated(const YCbCrPicture& picture, const ColourTable& table, std::span<std::uint16_t> out);

}  // namespace kestrova::player
