// Decoding of PNG and JPEG images held in memory (skin images, channel logos,
// previews) into 32-bit ARGB pictures.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/argb_image.h"

namespace kestrova::platform {

// The decoded image (alpha 255 where the file has none), or an empty one
// when the bytes are not an image SDL2_image can read. The bytes are only
// read, never kept.
ArgbImage DecodeImage(const std::uint8_t* data, std::size_t length);

}  // namespace kestrova::platform
