// The modal pop-up drawn over a dimmed screen: a title strip, a body of as
// many middle pieces as the word-wrapped text needs and a bottom piece,
// centred on the screen; with buttons, a soft-key bar with its two keys.
#pragma once

#include "platform/canvas.h"

namespace kestrova::ui {

class Painter;
class Screen;

constexpr int kPopupTextMargin = 14;

void DrawPopup(Painter& painter, platform::Canvas& target, const Screen& screen);

}  // namespace kestrova::ui
