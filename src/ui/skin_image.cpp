#include "ui/skin_image.h"

#include "platform/colour.h"
#include "platform/image.h"
#include "ui/skin_image_table.h"

namespace kestrova::ui {

platform::Bitmap ComposeOverKey(const platform::ArgbImage& argb, bool keyed) {
  platform::Bitmap bitmap(argb.Width(), argb.Height());
  if (bitmap.Empty()) return bitmap;
  const std::uint16_t key = platform::ToRgb565(kKeyColour);
  for (int y = 0; y < argb.Height(); ++y) {
    const std::uint32_t* from = argb.Row(y);
    std::uint16_t* to = bitmap.Row(y);
    for (int x = 0; x < argb.Width(); ++x) {
      const std::uint32_t p = from[x];
      const unsigned alpha = p >> 24U;
      const platform::Colour colour{static_cast<std::uint8_t>(p >> 16U), static_cast<std::uint8_t>(p >> 8U),
                                    static_cast<std::uint8_t>(p)};
      if (!keyed) {
        to[x] = platform::BlendRgb565(key, colour, alpha);
        continue;
      }
      if (alpha < kKeyAlphaThreshold) {
        to[x] = key;
        continue;
      }
      std::uint16_t value = platform::ToRgb565(colour);
      if (value == key) value ^= 0x0020U;  // lowest green bit: invisible, but not transparent
      to[x] = value;
    }
  }
  return bitmap;
}

SkinImage LoadSkinImage(int id, const std::uint8_t* data, std::size_t length) {
  SkinImage image;
  if (id < 0 || id >= kSkinImageCount) return image;
  const SkinImageEntry& entry = kSkinImageTable[static_cast<std::size_t>(id)];
  image.path.assign(entry.path);
  platform::ArgbImage decoded = platform::DecodeImage(data, length);
  if (decoded.Empty()) return image;
  image.cache = ComposeOverKey(decoded, entry.colourKeyed);
  if (image.cache.Empty()) return image;
  image.width = decoded.Width();
  image.height = decoded.Height();
  image.id = id;
  if (entry.alphaDraw) image.image = std::move(decoded);
  return image;
}

}  // namespace kestrova::ui
