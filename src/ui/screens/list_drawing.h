// Drawing of the plain list screens: header, one list row per visible item
// with its text and icons, the scroll bar and the soft-key bar.
#pragma once

#include <functional>
#include <string>

#include "platform/canvas.h"
#include "ui/rows.h"

namespace kestrova::ui {
class Painter;
class Screen;
}  // namespace kestrova::ui

namespace kestrova::ui::screens {

constexpr int kSoftKeySelect = 105;
constexpr int kSoftKeyBack = 2;
constexpr int kSoftKeyExit = 12;
constexpr int kNoSoftKey = 10000;  // an empty label
constexpr int kNoticeTitle = 44;   // title of notice and confirmation pop-ups
constexpr int kKeyConfirm = 21;    // left pop-up key that confirms
constexpr int kKeyDecline = 22;    // right pop-up key that declines

// Draws the visible rows of a list screen: `item(i, parts)` gives the text
// of item i and may fill in its icons and right text. The first visible
// item goes to row `firstRow` (0: directly below the header).
void DrawListRows(Painter& painter, platform::Canvas& target, const Screen& screen,
                  const std::function<std::wstring(int, ListRowParts&)>& item, int firstRow = 0);

}  // namespace kestrova::ui::screens
