// One decoded skin image: kept for the program's life, pre-rendered as an
// RGB565 bitmap so that drawing it is a plain or colour-keyed copy; the
// alpha-drawn image also keeps its 32-bit picture for blending.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/argb_image.h"
#include "platform/bitmap.h"

namespace kestrova::ui {

// Colour-keyed images: pixels at least this transparent (alpha below it)
// become the key colour, all others keep their own colour at full strength,
// so anti-aliased edges leave no grey fringe of the key colour behind.
constexpr unsigned kKeyAlphaThreshold = 128;

struct SkinImage {
  std::wstring path;
  int id = -1;  // -1 while unloaded
  platform::Bitmap cache;
  int width = 0;
  int height = 0;
  platform::ArgbImage image;  // kept for alpha-drawn images only

  bool Loaded() const { return id >= 0 && !cache.Empty(); }
};

// Decodes the bytes of table entry `id`; an image that cannot be decoded
// stays unloaded (id -1, size 0) and draws nothing.
SkinImage LoadSkinImage(int id, const std::uint8_t* data, std::size_t length);

// Renders an ARGB picture over the key colour into RGB565. With `keyed`
// the threshold rule above applies, and an opaque pixel whose RGB565 value
// would equal the key is nudged off it so it does not turn into a hole.
platform::Bitmap ComposeOverKey(const platform::ArgbImage& argb, bool keyed);

}  // namespace kestrova::ui
