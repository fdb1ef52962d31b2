// The pixel size a PNG or JPEG file declares in its header, read without
// decoding it: a small file can declare an enormous picture, so the size is
// checked before any memory is set aside for the pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace kestrova::platform {

struct ImageSize {
  int width = 0;
  int height = 0;
};

// The declared size of a PNG (its IHDR) or a baseline or progressive JPEG
// (its first start-of-frame segment); nothing for any other or a damaged
// header, and nothing for a PNG cut short (a chunk running past the end, or
// no IEND): its decoder would never finish.
std::optional<ImageSize> DeclaredImageSize(const std::uint8_t* data, std::size_t length);

// The number of scans (start-of-scan markers) in a JPEG file, counted by
// walking its markers and skipping each scan's coded data. A progressive
// file can hold thousands of tiny scans, each of which makes the decoder
// pass over the whole picture again. 0 for bytes that are not a JPEG file.
int JpegScanCount(const std::uint8_t* data, std::size_t length);

}  // namespace kestrova::platform
