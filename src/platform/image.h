// Decoding of PNG and JPEG images held in memory (skin images, channel logos,
// previews) into 32-bit ARGB pictures.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/argb_image.h"

namespace kestrova::platform {

// The largest picture side decoded: skin images, logos and previews are far
// smaller, and a few kilobytes of file can declare a picture of gigabytes.
// With it no picture has more than kMaxImageSide x kMaxImageSide pixels.
inline constexpr int kMaxImageSide = 2048;

// The most scans a JPEG picture may have. Baseline pictures have one,
// progressive ones about ten; each scan costs the decoder a pass over the
// whole picture, so a file of thousands of tiny scans takes very long.
inline constexpr int kMaxJpegScans = 48;

// The decoded image (alpha 255 where the file has none), or an empty one
// when the bytes are not a PNG or JPEG image, declare a side longer than
// kMaxImageSide or a JPEG has more than kMaxJpegScans scans (all refused
// before decoding). The bytes are only read, never kept.
ArgbImage DecodeImage(const std::uint8_t* data, std::size_t length);

// As DecodeImage, but only a thumbnail is kept: a picture larger than
// maxWidth x maxHeight is reduced at once, by area averaging with its
// proportions kept, to the largest size that fits. The full-size picture
// exists only while it is being reduced, and in the decoder's own format.
ArgbImage DecodeThumbnail(const std::uint8_t* data, std::size_t length, int maxWidth, int maxHeight);

}  // namespace kestrova::platform
