// A channel logo or preview picture as the server might send it: arbitrary
// bytes through the size check and the decoder. A decoded picture declared
// its size in its header, and no side is over the bound.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/image.h"
#include "platform/image_size.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace kestrova::platform;
  const auto declared = DeclaredImageSize(bytes, size);
  if (declared && (declared->width < 0 || declared->height < 0)) std::abort();
  const ArgbImage picture = DecodeImage(bytes, size);
  if (picture.Empty()) return 0;
  if (!declared || picture.Width() > kMaxImageSide || picture.Height() > kMaxImageSide) std::abort();
  return 0;
}
