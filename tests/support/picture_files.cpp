#include "support/picture_files.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <memory>

namespace kestrova::test {
namespace {

constexpr int kJpegQuality = 90;

struct SurfaceDeleter {
  void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};

// Writes through an SDL stream into a growing buffer.
template <typename Save>
std::vector<std::uint8_t> Encode(const platform::ArgbImage& picture, Save save) {
  if (picture.Empty()) return {};
  const std::unique_ptr<SDL_Surface, SurfaceDeleter> surface(SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<std::uint32_t*>(picture.Data()), picture.Width(), picture.Height(), 32, picture.Pitch(),
      SDL_PIXELFORMAT_ARGB8888));
  if (!surface) return {};
  // Large enough for any test picture: SDL's memory stream does not grow.
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(picture.Pitch()) * static_cast<std::size_t>(picture.Height()) + 65536);
  SDL_RWops* stream = SDL_RWFromMem(buffer.data(), static_cast<int>(buffer.size()));
  if (stream == nullptr) return {};
  const bool saved = save(surface.get(), stream);
  const Sint64 written = SDL_RWtell(stream);
  SDL_RWclose(stream);
  if (!saved || written <= 0) return {};
  buffer.resize(static_cast<std::size_t>(written));
  return buffer;
}

}  // namespace

std::vector<std::uint8_t> EncodePng(const platform::ArgbImage& picture) {
  return Encode(picture, [](SDL_Surface* surface, SDL_RWops* stream) { return IMG_SavePNG_RW(surface, stream, 0) == 0; });
}

std::vector<std::uint8_t> EncodeJpeg(const platform::ArgbImage& picture) {
  return Encode(picture, [](SDL_Surface* surface, SDL_RWops* stream) {
    return IMG_SaveJPG_RW(surface, stream, 0, kJpegQuality) == 0;
  });
}

platform::ArgbImage DiscPicture(int width, int height, std::uint32_t colour) {
  platform::ArgbImage picture(width, height);
  const double radius = std::min(width, height) / 2.0;
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      const double dx = x + 0.5 - width / 2.0;
      const double dy = y + 0.5 - height / 2.0;
      // The surroundings transparent black: a plain average would darken the edge.
      picture.Row(y)[x] = dx * dx + dy * dy <= radius * radius ? colour : 0U;
    }
  }
  return picture;
}

}  // namespace kestrova::test
