#include "platform/image.h"

#include <SDL_image.h>

#include <cstring>
#include <limits>
#include <vector>

#include "platform/image_scale.h"
#include "platform/image_size.h"
#include "platform/sdl_handles.h"

namespace kestrova::platform {
namespace {

// DeclaredImageSize knows PNG (0x89 'P' 'N' 'G' ...) and JPEG (0xFF 0xD8).
constexpr std::uint8_t kPngFirstByte = 0x89;
constexpr std::uint32_t kOpaque = 0xFF000000U;

// The decoder's picture, in whatever format it chose, or none when the bytes
// are refused before decoding or do not decode.
SurfacePtr DecodeSurface(const std::uint8_t* data, std::size_t length) {
  if (data == nullptr || length == 0 || length > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    return {};
  }
  const std::optional<ImageSize> declared = DeclaredImageSize(data, length);
  if (!declared || declared->width > kMaxImageSide || declared->height > kMaxImageSide) return {};
  const bool png = data[0] == kPngFirstByte;
  if (!png && JpegScanCount(data, length) > kMaxJpegScans) return {};
  const RwPtr stream(SDL_RWFromConstMem(data, static_cast<int>(length)));
  if (!stream) return {};
  // The decoder of the format whose header was checked: SDL_image's own
  // guess looks at more than the first bytes (a "<svg" anywhere near the
  // start makes any file a vector drawing to it).
  SurfacePtr decoded(png ? IMG_LoadPNG_RW(stream.get()) : IMG_LoadJPG_RW(stream.get()));
  if (!decoded || decoded->w <= 0 || decoded->h <= 0 || decoded->w > kMaxImageSide || decoded->h > kMaxImageSide) {
    return {};
  }
  if (SDL_HasColorKey(decoded.get()) == SDL_TRUE) {
    // A file with one transparent colour: the surface conversion turns the
    // key into transparency, which a row conversion would not. Rare and
    // small pictures, so the full-size copy is acceptable.
    decoded.reset(SDL_ConvertSurfaceFormat(decoded.get(), SDL_PIXELFORMAT_ARGB8888, 0));
  }
  return decoded;
}

// Reads a decoded picture row by row as ARGB, converting one row at a time
// into a buffer of one row, so no second full-size copy is made.
class ArgbRows {
 public:
  explicit ArgbRows(SDL_Surface& surface) : surface_(surface) {
    if (surface_.format->format != SDL_PIXELFORMAT_ARGB8888) row_.resize(static_cast<std::size_t>(surface_.w));
  }

  // Row y as ARGB; null when the format cannot be converted.
  const std::uint32_t* Row(int y) {
    const auto* source = static_cast<const std::uint8_t*>(surface_.pixels) + static_cast<std::ptrdiff_t>(y) * surface_.pitch;
    if (row_.empty()) return reinterpret_cast<const std::uint32_t*>(source);
    const SDL_PixelFormat& format = *surface_.format;
    if (format.BitsPerPixel == 8 && format.palette != nullptr) {
      // Palette pictures (and grey ones, which the decoder gives a grey
      // palette): looked up here, as a row conversion does not know palettes.
      const SDL_Palette& palette = *format.palette;
      for (int x = 0; x < surface_.w; ++x) {
        const SDL_Color colour = source[x] < palette.ncolors ? palette.colors[source[x]] : SDL_Color{0, 0, 0, 0};
        row_[static_cast<std::size_t>(x)] = std::uint32_t{colour.a} << 24U | std::uint32_t{colour.r} << 16U |
                                            std::uint32_t{colour.g} << 8U | colour.b;
      }
      return row_.data();
    }
    if (SDL_ISPIXELFORMAT_INDEXED(format.format) ||
        SDL_ConvertPixels(surface_.w, 1, format.format, source, surface_.pitch, SDL_PIXELFORMAT_ARGB8888,
                          row_.data(), surface_.w * 4) != 0) {
      return nullptr;
    }
    // Formats without alpha convert with alpha 255.
    if (!SDL_ISPIXELFORMAT_ALPHA(format.format)) {
      for (std::uint32_t& pixel : row_) pixel |= kOpaque;
    }
    return row_.data();
  }

 private:
  SDL_Surface& surface_;
  std::vector<std::uint32_t> row_;
};

// The decoded picture at the given size: copied when it is the picture's
// own size, else reduced. Empty when a row cannot be read.
ArgbImage ReadPicture(SDL_Surface& surface, int width, int height) {
  ArgbImage image(width, height);
  if (image.Empty()) return image;
  ArgbRows rows(surface);
  if (width == surface.w && height == surface.h) {
    const auto rowBytes = static_cast<std::size_t>(image.Pitch());
    for (int y = 0; y < height; ++y) {
      const std::uint32_t* row = rows.Row(y);
      if (row == nullptr) return {};
      std::memcpy(image.Row(y), row, rowBytes);
    }
    return image;
  }
  AreaScaler scaler(surface.w, surface.h, image);
  for (int y = 0; y < surface.h; ++y) {
    const std::uint32_t* row = rows.Row(y);
    if (row == nullptr) return {};
    scaler.AddRow(row);
  }
  return image;
}

}  // namespace

ArgbImage DecodeImage(const std::uint8_t* data, std::size_t length) {
  SurfacePtr decoded = DecodeSurface(data, length);
  if (!decoded) return {};
  return ReadPicture(*decoded, decoded->w, decoded->h);
}

ArgbImage DecodeThumbnail(const std::uint8_t* data, std::size_t length, int maxWidth, int maxHeight) {
  if (maxWidth < 1 || maxHeight < 1) return {};
  SurfacePtr decoded = DecodeSurface(data, length);
  if (!decoded) return {};
  const ImageSize size = FitInBox(decoded->w, decoded->h, maxWidth, maxHeight);
  return ReadPicture(*decoded, size.width, size.height);
}

}  // namespace kestrova::platform
