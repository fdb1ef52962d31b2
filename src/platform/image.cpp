#include "platform/image.h"

#include <SDL_image.h>

#include <cstring>
#include <limits>

#include "platform/image_size.h"
#include "platform/sdl_handles.h"

namespace kestrova::platform {
namespace {

// DeclaredImageSize knows PNG (0x89 'P' 'N' 'G' ...) and JPEG (0xFF 0xD8).
constexpr std::uint8_t kPngFirstByte = 0x89;

}  // namespace

ArgbImage DecodeImage(const std::uint8_t* data, std::size_t length) {
  if (data == nullptr || length == 0 || length > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    return {};
  }
  const std::optional<ImageSize> declared = DeclaredImageSize(data, length);
  if (!declared || declared->width > kMaxImageSide || declared->height > kMaxImageSide) return {};
  const RwPtr stream(SDL_RWFromConstMem(data, static_cast<int>(length)));
  if (!stream) return {};
  // The decoder of the format whose header was checked: SDL_image's own
  // guess looks at more than the first bytes (a "<svg" anywhere near the
  // start makes any file a vector drawing to it).
  const bool png = data[0] == kPngFirstByte;
  SurfacePtr decoded(png ? IMG_LoadPNG_RW(stream.get()) : IMG_LoadJPG_RW(stream.get()));
  if (!decoded) return {};
  if (decoded->format->format != SDL_PIXELFORMAT_ARGB8888) {
    decoded.reset(SDL_ConvertSurfaceFormat(decoded.get(), SDL_PIXELFORMAT_ARGB8888, 0));
    if (!decoded) return {};
  }
  ArgbImage image(decoded->w, decoded->h);
  if (image.Empty()) return image;
  const auto rowBytes = static_cast<std::size_t>(image.Pitch());
  for (int y = 0; y < image.Height(); ++y) {
    std::memcpy(image.Row(y), static_cast<const std::uint8_t*>(decoded->pixels) + y * decoded->pitch, rowBytes);
  }
  return image;
}

}  // namespace kestrova::platform
