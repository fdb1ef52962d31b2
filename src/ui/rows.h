// Drawing of the 32-pixel rows below the header: row r of a page occupies
// y = 32 (r + 1) to 32 (r + 2); every row ends with a two-line separator.
#pragma once

#include <string_view>

#include "platform/canvas.h"
#include "platform/colour.h"

namespace kestrova::ui {

class Painter;

constexpr int kRowHeight = 32;
constexpr int kRowIconTextStart = 35;  // text start after a left icon (and the button text inset)
constexpr int kRowRightGap = 2;        // between a right icon and the right text
constexpr int kRowTextGap = 6;         // between the main text and the right part
constexpr platform::Colour kSeparatorDark = platform::Rgb(51, 51, 51);
constexpr platform::Colour kSeparatorLight = platform::Rgb(153, 153, 153);

constexpr int RowTop(int row) { return kRowHeight * (row + 1); }

// The optional parts of a list row around its main text.
struct ListRowParts {
  int leftIcon = -1;
  std::wstring_view leftCaption;
  // With a caption: a text as wide as the caption column (e.g. "00:00"), so
  // that the captions of all rows line up.
  std::wstring_view captionSample;
  int rightIcon = -1;
  std::wstring_view rightText;
};

// Dark line at `bottom` - 1 and light line at `bottom`, across the screen.
void DrawRowSeparator(Painter& painter, platform::Canvas& target, int bottom);

// A form button: its selected or unselected image and the centred text.
void DrawButtonRow(Painter& painter, platform::Canvas& target, int row, std::wstring_view text, bool selected,
                   int tickerId);

// The generic list row: selector behind the focused row, optional left icon
// or caption, optional right icon and text, the main text in between.
void DrawListRow(Painter& painter, platform::Canvas& target, int row, std::wstring_view text, bool selected,
                 int tickerId, const ListRowParts& parts = {});

// A black block of `lines` rows with text in the highlight colour: one
// centred line, or word-wrapped text that scrolls vertically when too tall.
void DrawTextBlockRow(Painter& painter, platform::Canvas& target, int row, std::wstring_view text, int lines,
                      int tickerId);

}  // namespace kestrova::ui
