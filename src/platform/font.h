// A bold sans-serif font at a given line height, over SDL2_ttf, with a cache
// of rendered glyphs so that drawing and measuring text costs no rendering
// or allocation once a character has been seen.
#pragma once

#include <SDL_ttf.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/canvas.h"

namespace kestrova::platform {

// The font file fontconfig chooses for a pattern such as "Arial:bold".
std::optional<std::filesystem::path> MatchFontFile(const std::string& pattern);

class Font {
 public:
  struct Glyph {
    std::vector<std::uint8_t> coverage;  // width x height, the line's full height
    int width = 0;
    int height = 0;
    int offsetX = 0;  // where the coverage starts relative to the pen
    int advance = 0;
  };

  // Opens the file at the point size whose line height (ascent + descent)
  // is `lineHeight`, or the largest one below it when no size matches
  // exactly. Null when the file cannot be opened.
  static std::unique_ptr<Font> Open(const std::filesystem::path& file, int lineHeight);

 private:
  struct OpenKey {
    explicit OpenKey() = default;
  };

 public:
  Font(OpenKey, TTF_Font* font, int pointSize);  // through Open only
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  int LineHeight() const { return lineHeight_; }
  int PointSize() const { return pointSize_; }

  const Glyph& GetGlyph(wchar_t character) const;
  int Advance(wchar_t character) const { return GetGlyph(character).advance; }
  // The width of a text drawn on one line.
  int Width(std::wstring_view text) const;

  // Characters drawn as a blank: control characters (tab, line feed) on a
  // single line, and anything that is not a Unicode scalar value.
  static wchar_t Printable(wchar_t character);

 private:
  Glyph Render(wchar_t character) const;

  static constexpr std::size_t kDirectGlyphs = 0x500;  // Latin and Cyrillic
  static constexpr std::size_t kMaxOtherGlyphs = 4096;

  TTF_Font* font_;
  int pointSize_;
  int lineHeight_;
  // Glyphs below kDirectGlyphs by index, others in a map that is emptied
  // when it grows past kMaxOtherGlyphs.
  mutable std::array<std::unique_ptr<Glyph>, kDirectGlyphs> direct_;
  mutable std::unordered_map<wchar_t, Glyph> others_;
};

}  // namespace kestrova::platform
