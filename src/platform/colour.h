// Colours of the program's pictures: 8-bit RGB values as the skin and the
// screens name them, stored on screen as the handset's 16-bit RGB565.
#pragma once

#include <cstdint>

namespace kestrova::platform {

struct Colour {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;

  constexpr bool operator==(const Colour&) const = default;
};

constexpr Colour Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) { return Colour{r, g, b}; }

// Truncating conversion, as the handset's display driver does.
constexpr std::uint16_t ToRgb565(Colour c) {
  return static_cast<std::uint16_t>(((c.r >> 3U) << 11U) | ((c.g >> 2U) << 5U) | (c.b >> 3U));
}

// Expands by bit replication so that white stays white and black black.
constexpr Colour FromRgb565(std::uint16_t p) {
  const unsigned r5 = (p >> 11U) & 0x1FU;
  const unsigned g6 = (p >> 5U) & 0x3FU;
  const unsigned b5 = p & 0x1FU;
  return Colour{static_cast<std::uint8_t>((r5 << 3U) | (r5 >> 2U)), static_cast<std::uint8_t>((g6 << 2U) | (g6 >> 4U)),
                static_cast<std::uint8_t>((b5 << 3U) | (b5 >> 2U))};
}

// Mixes `colour` over the RGB565 pixel `under` with coverage 0 (none) to 255
// (full).
constexpr std::uint16_t BlendRgb565(std::uint16_t under, Colour colour, unsigned coverage) {
  if (coverage == 0) return under;
  if (coverage >= 255) return ToRgb565(colour);
  const Colour u = FromRgb565(under);
  const unsigned inverse = 255U - coverage;
  const auto mix = [&](unsigned top, unsigned bottom) {
    return static_cast<std::uint8_t>((top * coverage + bottom * inverse + 127U) / 255U);
  };
  return ToRgb565(Colour{mix(colour.r, u.r), mix(colour.g, u.g), mix(colour.b, u.b)});
}

}  // namespace kestrova::platform
