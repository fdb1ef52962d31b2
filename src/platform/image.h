// Decoding of PNG and JPEG images held in memory (skin images, channel logos,
// previews) into 32-bit ARGB pictures.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/argb_image.h"

namespace kestrova::platform {

// The largest picture side decoded: skin images, logos and previews are far
// smaller, and a few kilobytes of file can declare a picture of gigabytes.
inline constexpr int kMaxImageSide = 2048;

// The decoded image (alpha 255 where the file has none), or an empty one
// when the bytes are not a PNG or JPEG image, or declare a side longer than
// kMaxImageSide (refused before decoding). The bytes are only read, never
// kept.
ArgbImage DecodeImage(const std::uint8_t* data, std::size_t length);

}  // namespace kestrova::platform
