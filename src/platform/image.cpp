#include "platform/image.h"

#include <SDL_image.h>

#include <limits>

namespace kestrova::platform {

SurfacePtr DecodeImage(const std::uint8_t* data, std::size_t length) {
  if (data == nullptr || length == 0 || length > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    return nullptr;
  }
  SDL_RWops* stream = SDL_RWFromConstMem(data, static_cast<int>(length));
  if (stream == nullptr) return nullptr;
  SurfacePtr decoded(IMG_Load_RW(stream, 1));  // closes the stream
  if (!decoded) return nullptr;
  if (decoded->format->format == SDL_PIXELFORMAT_ARGB8888) return decoded;
  return SurfacePtr(SDL_ConvertSurfaceFormat(decoded.get(), SDL_PIXELFORMAT_ARGB8888, 0));
}

}  // namespace kestrova::platform
