#include "platform/font.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>

#include "platform/sdl_handles.h"

namespace kestrova::platform {

namespace {

constexpr int kSmallestPointSize = 4;
constexpr int kLargestPointSize = 200;

struct FcPatternDeleter {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using FcPatternPtr = std::unique_ptr<FcPattern, FcPatternDeleter>;

}  // namespace

std::optional<std::filesystem::path> MatchFontFile(const std::string& pattern) {
  if (FcInit() == FcFalse) return std::nullopt;
  FcPatternPtr wanted(FcNameParse(reinterpret_cast<const FcChar8*>(pattern.c_str())));
  if (!wanted) return std::nullopt;
  FcConfigSubstitute(nullptr, wanted.get(), FcMatchPattern);
  FcDefaultSubstitute(wanted.get());
  FcResult result = FcResultNoMatch;
  FcPatternPtr match(FcFontMatch(nullptr, wanted.get(), &result));
  if (!match) return std::nullopt;
  FcChar8* file = nullptr;
  if (FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch || file == nullptr) return std::nullopt;
  return std::filesystem::path(reinterpret_cast<const char*>(file));
}

Font::Font(OpenKey, TTF_Font* font, int pointSize)
    : font_(font), pointSize_(pointSize), lineHeight_(TTF_FontHeight(font)) {}

Font::~Font() {
  TTF_CloseFont(font_);
  TTF_Quit();  // balances the TTF_Init of Open
}

std::unique_ptr<Font> Font::Open(const std::filesystem::path& file, int lineHeight) {
  if (lineHeight <= 0 || TTF_Init() != 0) return nullptr;
  TTF_Font* font = TTF_OpenFont(file.c_str(), kSmallestPointSize);
  if (font == nullptr) {
    TTF_Quit();
    return nullptr;
  }
  // Line heights grow with the point size, so the first size that reaches
  // the height is the match, and the one before the largest below it.
  int chosen = kSmallestPointSize;
  for (int size = kSmallestPointSize; size <= kLargestPointSize; ++size) {
    if (TTF_SetFontSize(font, size) != 0) break;
    const int height = TTF_FontHeight(font);
    if (height > lineHeight) break;
    chosen = size;
    if (height == lineHeight) break;
  }
  TTF_SetFontSize(font, chosen);
  TTF_SetFontKerning(font, 0);  // glyphs are placed by their own advances
  return std::make_unique<Font>(OpenKey{}, font, chosen);
}

wchar_t Font::Printable(wchar_t character) {
  const auto code = static_cast<std::uint32_t>(character);
  if (code < 0x20U || code == 0x7FU) return L' ';
  if (code > 0x10FFFFU || (code >= 0xD800U && code <= 0xDFFFU)) return static_cast<wchar_t>(0xFFFD);
  return character;
}

Font::Glyph Font::Render(wchar_t character) const {
  Glyph glyph;
  const auto code = static_cast<Uint32>(Printable(character));
  int minX = 0;
  int maxX = 0;
  int minY = 0;
  int maxY = 0;
  int advance = 0;
  if (TTF_GlyphMetrics32(font_, code, &minX, &maxX, &minY, &maxY, &advance) == 0) glyph.advance = advance;
  glyph.offsetX = std::min(0, minX);
  SurfacePtr rendered(TTF_RenderGlyph32_Blended(font_, code, SDL_Color{255, 255, 255, 255}));
  if (!rendered) return glyph;
  SurfacePtr argb(SDL_ConvertSurfaceFormat(rendered.get(), SDL_PIXELFORMAT_ARGB8888, 0));
  if (!argb) return glyph;
  glyph.width = argb->w;
  glyph.height = argb->h;
  glyph.coverage.resize(static_cast<std::size_t>(glyph.width) * static_cast<std::size_t>(glyph.height));
  for (int y = 0; y < glyph.height; ++y) {
    const auto* row =
        reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(argb->pixels) + y * argb->pitch);
    for (int x = 0; x < glyph.width; ++x) {
      glyph.coverage[static_cast<std::size_t>(y * glyph.width + x)] = static_cast<std::uint8_t>(row[x] >> 24U);
    }
  }
  return glyph;
}

const Font::Glyph& Font::GetGlyph(wchar_t character) const {
  const auto code = static_cast<std::uint32_t>(Printable(character));
  if (code < kDirectGlyphs) {
    auto& slot = direct_[code];
    if (!slot) slot = std::make_unique<Glyph>(Render(static_cast<wchar_t>(code)));
    return *slot;
  }
  const auto key = static_cast<wchar_t>(code);
  if (auto found = others_.find(key); found != others_.end()) return found->second;
  if (others_.size() >= kMaxOtherGlyphs) others_.clear();
  return others_.emplace(key, Render(key)).first->second;
}

int Font::Width(std::wstring_view text) const {
  int width = 0;
  for (const wchar_t c : text) width += Advance(c);
  return width;
}

}  // namespace kestrova::platform
