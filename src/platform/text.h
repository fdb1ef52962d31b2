// Text drawing and measuring in a rectangle with the handset's text-format
// flags:
//   DT_SINGLELINE one line; line feeds and tabs are drawn as blanks;
//   DT_CENTER, DT_RIGHT horizontal alignment of every line (else left);
//   DT_VCENTER, DT_BOTTOM vertical alignment, for single lines only (else top);
//   DT_WORDBREAK lines are broken at blanks (space, tab) so that they fit the
//     width; a word wider than the rectangle stays whole on its own line;
//   DT_CALCRECT measure only: the rectangle's right edge becomes left + the
//     widest line and its bottom edge top + the height of all lines.
// Without DT_SINGLELINE a line feed (or CR LF) always starts a new line; a
// line feed at the very end adds no empty line. Drawing is clipped to the
// rectangle (and the canvas's clip). Nothing here allocates memory.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/canvas.h"
#include "platform/font.h"

namespace kestrova::platform {

constexpr unsigned DT_TOP = 0x00;
constexpr unsigned DT_LEFT = 0x00;
constexpr unsigned DT_CENTER = 0x01;
constexpr unsigned DT_RIGHT = 0x02;
constexpr unsigned DT_VCENTER = 0x04;
constexpr unsigned DT_BOTTOM = 0x08;
constexpr unsigned DT_WORDBREAK = 0x10;
constexpr unsigned DT_SINGLELINE = 0x20;
constexpr unsigned DT_CALCRECT = 0x400;

// Draws (or with DT_CALCRECT measures into `rect`) and returns the height of
// the text: for a single line aligned to the middle or bottom, the distance
// from the rectangle's top to the bottom of the text, as the handset does.
int DrawText(Canvas& canvas, const Font& font, Colour colour, std::wstring_view text, Rect& rect, unsigned flags);
// DT_CALCRECT without a canvas.
int MeasureText(const Font& font, std::wstring_view text, Rect& rect, unsigned flags);

// One laid-out line: text[begin, end) and its width in pixels.
struct TextLine {
  std::size_t begin = 0;
  std::size_t end = 0;
  int width = 0;
};

// Splits a text into the lines DrawText draws, one at a time.
class LineBreaker {
 public:
  LineBreaker(const Font& font, std::wstring_view text, int width, unsigned flags);
  bool Next(TextLine& line);

 private:
  static bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
  static bool IsLineEnd(wchar_t c) { return c == L'\n' || c == L'\r'; }
  std::size_t ParagraphEnd() const;
  std::size_t SkipLineEnd(std::size_t at) const;

  const Font& font_;
  std::wstring_view text_;
  int width_;
  unsigned flags_;
  std::size_t position_ = 0;
};

}  // namespace kestrova::platform
