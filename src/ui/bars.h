// The top bar (header) and the bottom bar (soft-key labels) of every screen.
#pragma once

#include <string_view>

#include "platform/canvas.h"

namespace kestrova::ui {

class Painter;

constexpr int kNoIcon = -1;
constexpr int kBarMargin = 14;        // text and icons start this far from the screen's edges
constexpr int kHeaderTitleWithIcon = 35;
constexpr int kHeaderRightTextHeight = 32;

// Image 31 across the top, an optional icon at x 14, the title (a header
// ticker when it is too wide) and an optional right-aligned text.
void DrawHeader(Painter& painter, platform::Canvas& target, int iconId, std::wstring_view title,
                std::wstring_view rightText);
void DrawHeaderById(Painter& painter, platform::Canvas& target, int iconId, int titleStringId,
                    std::wstring_view rightText);

// Image 27 across the bottom with the left, right and middle labels of the
// given string ids; an id whose text is empty leaves its place blank.
void DrawSoftKeyBar(Painter& painter, platform::Canvas& target, int middleStringId, int leftStringId,
                    int rightStringId);

}  // namespace kestrova::ui
