#include "segment_encoder/card_font.h"

#include <SDL.h>

#include <mutex>

#include "platform/font.h"
#include "platform/sdl_handles.h"

namespace kestrova::encoder {
namespace {

constexpr int kSmallestPointSize = 4;
constexpr int kLargestPointSize = 400;

using platform::SurfacePtr;

// SDL_ttf keeps one FreeType library for every font, and a font its glyph
// cache: fonts are opened, used and closed one thread at a time (the server
// draws pictures on several request threads).
std::mutex& TtfLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

std::optional<std::filesystem::path> MatchCardFontFile() { return platform::MatchFontFile(kCardFontPattern); }

CardFont::CardFont(OpenKey, TTF_Font* font) : font_(font), lineHeight_(TTF_FontHeight(font)) {}

CardFont::~CardFont() {
  const std::lock_guard guard(TtfLock());
  TTF_CloseFont(font_);
  TTF_Quit();  // balances the TTF_Init of Open
}

std::unique_ptr<CardFont> CardFont::Open(int lineHeight) {
  const auto file = MatchCardFontFile();
  if (!file || lineHeight <= 0) return nullptr;
  const std::lock_guard guard(TtfLock());
  if (TTF_Init() != 0) return nullptr;
  TTF_Font* font = TTF_OpenFont(file->c_str(), kSmallestPointSize);
  if (font == nullptr) {
    TTF_Quit();
    return nullptr;
  }
  // Line heights grow with the point size: keep the last size that fits.
  int chosen = kSmallestPointSize;
  for (int size = kSmallestPointSize; size <= kLargestPointSize; ++size) {
    if (TTF_SetFontSize(font, size) != 0 || TTF_FontHeight(font) > lineHeight) break;
    chosen = size;
  }
  TTF_SetFontSize(font, chosen);
  return std::make_unique<CardFont>(OpenKey{}, font);
}

int CardFont::Width(std::string_view utf8) const {
  if (utf8.empty()) return 0;
  const std::string text(utf8);
  int width = 0;
  int height = 0;
  const std::lock_guard guard(TtfLock());
  if (TTF_SizeUTF8(font_, text.c_str(), &width, &height) != 0) return 0;
  return width;
}

TextMask CardFont::Render(std::string_view utf8) const {
  TextMask mask;
  if (utf8.empty()) return mask;
  const std::string text(utf8);
  const SDL_Color white{255, 255, 255, 255};
  SurfacePtr rendered;
  {
    const std::lock_guard guard(TtfLock());
    rendered.reset(TTF_RenderUTF8_Blended(font_, text.c_str(), white));
  }
  if (!rendered) return mask;
  SurfacePtr argb(SDL_ConvertSurfaceFormat(rendered.get(), SDL_PIXELFORMAT_ARGB8888, 0));
  if (!argb || SDL_LockSurface(argb.get()) != 0) return mask;
  mask.width = argb->w;
  mask.height = argb->h;
  mask.coverage.resize(static_cast<std::size_t>(mask.width) * static_cast<std::size_t>(mask.height));
  constexpr int kAlphaShift = 24;
  for (int y = 0; y < mask.height; ++y) {
    const auto* row = static_cast<const std::uint8_t*>(argb->pixels) + static_cast<std::ptrdiff_t>(y) * argb->pitch;
    for (int x = 0; x < mask.width; ++x) {
      std::uint32_t pixel = 0;
      SDL_memcpy(&pixel, row + static_cast<std::ptrdiff_t>(x) * 4, sizeof pixel);
      mask.coverage[static_cast<std::size_t>(y) * static_cast<std::size_t>(mask.width) + static_cast<std::size_t>(x)] =
          static_cast<std::uint8_t>(pixel >> kAlphaShift);
    }
  }
  SDL_UnlockSurface(argb.get());
  return mask;
}

}  // namespace kestrova::encoder
