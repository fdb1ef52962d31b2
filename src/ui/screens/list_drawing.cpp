#include "ui/screens/list_drawing.h"

#include <algorithm>

#include "ui/screen.h"
#include "ui/ticker.h"

namespace kestrova::ui::screens {

void DrawListRows(Painter& painter, platform::Canvas& target, const Screen& screen,
                  const std::function<std::wstring(int, ListRowParts&)>& item, int firstRow) {
  const int first = screen.HasList() ? screen.FirstVisibleRow() : 0;
  const int last = std::min(first + screen.RowsPerPage(), screen.ItemCount());
  for (int i = first; i < last; ++i) {
    ListRowParts parts;
    const std::wstring text = item(i, parts);
    const int row = i - first + firstRow;
    DrawListRow(painter, target, row, text, i == screen.Selection(), kTickerFirstRow + row, parts);
  }
}

}  // namespace kestrova::ui::screens
