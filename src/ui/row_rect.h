// The rectangles of a screen's rows, in screen pixels, with their
// visibility on the current page.
#pragma once

#include <vector>

namespace kestrova::ui {

struct RowRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool visible = true;

  // Edges included, as the row hit test wants it.
  bool Contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};

using RowRectArray = std::vector<RowRect>;

}  // namespace kestrova::ui
