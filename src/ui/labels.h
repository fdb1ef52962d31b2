// Text in a rectangle, the way every screen draws it: a single line that is
// too wide either scrolls (registered as a ticker) or is shortened with
// "..."; word-wrapped text is centred vertically, or scrolls line by line
// when it is too tall.
#pragma once

#include <string_view>

#include "platform/canvas.h"
#include "platform/colour.h"
#include "platform/font.h"
#include "platform/rect.h"

namespace kestrova::ui {

class Painter;

constexpr std::wstring_view kEllipsis = L"...";

// Format flags the screens use with labels (the platform's DT_* values).
constexpr unsigned kLabelLeft = 0x24;         // single line, vertically centred
constexpr unsigned kLabelCentred = 0x25;      // the same, centred
constexpr unsigned kLabelRight = 0x26;        // the same, right-aligned
constexpr unsigned kLabelBottom = 0x28;       // single line at the bottom
constexpr unsigned kLabelLineCentred = 0x21;  // single line, centred, at the top
constexpr unsigned kLabelLine = 0x20;         // single line at the top left
constexpr unsigned kLabelWrapped = 0x10;
constexpr unsigned kLabelWrappedCentred = 0x11;
constexpr unsigned kLabelBlock = 0x15;        // word break, centred, vertically centred

// A single-line label (or any text when `scroll` is set). With a ticker id
// and `scroll`, a text wider than the rectangle is handed to the ticker
// registry and not drawn here; otherwise the ticker is disabled and a text
// that is too wide is shortened: first cut in proportion when it is at least
// twice too wide, then one character at a time with "..." appended.
// Multi-line text without scrolling is centred vertically. Returns the
// height the text drawing reported (0 when nothing was drawn).
int DrawLabel(Painter& painter, platform::Canvas& target, std::wstring_view text, const platform::Rect& rect,
              unsigned flags, const platform::Font* font, platform::Colour colour, int tickerId, bool scroll);

// Word-wrapped text: with a ticker id and `scroll`, a text taller than the
// rectangle becomes a vertical ticker; otherwise it is drawn centred
// vertically in the rectangle.
int DrawLabelBlock(Painter& painter, platform::Canvas& target, std::wstring_view text, const platform::Rect& rect,
                   unsigned flags, const platform::Font* font, platform::Colour colour, int tickerId, bool scroll);

}  // namespace kestrova::ui
