// PNG and JPEG files made from pictures in memory, for tests that serve or
// decode pictures of chosen sizes and contents.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/argb_image.h"

namespace kestrova::test {

// The picture as a PNG file (with its alpha channel); empty on failure.
std::vector<std::uint8_t> EncodePng(const platform::ArgbImage& picture);
// The picture as a baseline JPEG file (alpha dropped); empty on failure.
std::vector<std::uint8_t> EncodeJpeg(const platform::ArgbImage& picture);

// A width x height picture: transparent around an opaque disc of `colour`
// centred in it, whose diameter is the shorter side.
platform::ArgbImage DiscPicture(int width, int height, std::uint32_t colour);

}  // namespace kestrova::test
