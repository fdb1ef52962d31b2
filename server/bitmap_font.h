// A built-in 5 x 7 pixel font for the pictures the server draws (channel logos,
// video previews): digits, Latin capitals and common punctuation. Letters are
// drawn as capitals; characters the font lacks are drawn as "?".
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrova::server {

inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphHeight = 7;
inline constexpr int kGlyphAdvance = kGlyphWidth + 1;

// The text as the font draws it: ASCII capitals; every other UTF-8 character
// becomes one "?".
std::string FontText(std::string_view utf8);

// Width in pixels of a FontText at a scale (each font pixel a scale x scale square).
int TextWidth(std::string_view font_text, int scale);

// Draws a FontText with its top left corner at (x, y); clipped to the surface.
void DrawFontText(SDL_Surface* surface, int x, int y, std::string_view font_text, int scale, std::uint32_t rgb);

}  // namespace kestrova::server
