// Where the test card puts its colour bars, so that a picture decoded from a
// segment can be checked without the encoder: eight bars of equal width
// across the top of the picture, left to right in this order, 75% level.
#pragma once

#include <array>
#include <cstdint>

namespace kestrova::encoder {

struct BarColour {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
};

inline constexpr std::array<BarColour, 8> kBarColours = {{
    {191, 191, 191},  // white
    {191, 191, 0},    // yellow
    {0, 191, 191},    // cyan
    {0, 191, 0},      // green
    {191, 0, 191},    // magenta
    {191, 0, 0},      // red
    {0, 0, 191},      // blue
    {0, 0, 0},        // black
}};

// The bars fill rows 0 to height x kBarsNumerator / kBarsDenominator.
inline constexpr int kBarsNumerator = 1;
inline constexpr int kBarsDenominator = 2;

inline constexpr int BarLeft(int bar, int width) { return bar * width / static_cast<int>(kBarColours.size()); }
inline constexpr int BarsBottom(int height) { return height * kBarsNumerator / kBarsDenominator; }

}  // namespace kestrova::encoder
