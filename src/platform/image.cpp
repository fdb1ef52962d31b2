#include "platform/image.h"

#include <SDL_image.h>

#include <cstring>
#include <limits>

#include "platform/image_size.h"
#include "platform/sdl_handles.h"

namespace kestrova::platform {

ArgbImage DecodeImage(const std::uint8_t* data, std::size_t length) {
  if (data == nullptr || length == 0 || length > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    return {};
  }
  const std::optional<ImageSize> declared = DeclaredImageSize(data, length);
  if (!declared || declared->width > kMaxImageSide || declared->height > kMaxImageSide) return {};
  SDL_RWops* stream = SDL_RWFromConstMem(data, static_cast<int>(length));
  if (stream == nullptr) return {};
  SurfacePtr decoded(IMG_Load_RW(stream, 1));  // closes the stream
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
