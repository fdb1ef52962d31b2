#include "ui/popup.h"

#include <algorithm>

#include "platform/text.h"
#include "resources/string_table.h"
#include "ui/bars.h"
#include "ui/labels.h"
#include "ui/painter.h"
#include "ui/screen.h"
#include "ui/skin_image_table.h"

namespace kestrova::ui {

void DrawPopup(Painter& painter, platform::Canvas& target, const Screen& screen) {
  const int width = painter.ScreenWidth();
  const int height = painter.ScreenHeight();
  DrawImage(painter, target, kImageOverlayer, 0, 0);

  int textHeight = 0;
  if (painter.FontText() != nullptr) {
    platform::Rect measured{0, 0, width - 2 * kPopupTextMargin, 0};
    platform::MeasureText(*painter.FontText(), screen.PopupText(), measured,
                          platform::DT_CALCRECT | platform::DT_WORDBREAK | platform::DT_CENTER);
    textHeight = measured.Height();
  }
  const SkinImage& top = painter.Image(kImagePopupTopLine);
  const SkinImage& middle = painter.Image(kImagePopupMainLine);
  const SkinImage& bottom = painter.Image(kImagePopupBottomLine);
  const int pieces = middle.height > 0 ? std::max(1, (textHeight + middle.height - 1) / middle.height) : 1;
  const int bodyHeight = middle.height > 0 ? pieces * middle.height : textHeight;

  const int x = (width - top.width) / 2;
  const int y = (height - (top.height + bodyHeight + bottom.height)) / 2;
  DrawImage(painter, target, kImagePopupTopLine, x, y);
  for (int i = 0; i < pieces; ++i)
    DrawImage(painter, target, kImagePopupMainLine, x, y + top.height + i * middle.height);
  DrawImage(painter, target, kImagePopupBottomLine, x, y + top.height + bodyHeight);

  DrawLabel(painter, target, screen.PopupTitle(),
            {x + kPopupTextMargin, y, x + width - kPopupTextMargin, y + top.height}, kLabelLeft, painter.FontTitle(),
            kWhite, 0, false);
  DrawLabel(painter, target, screen.PopupText(),
            {x + kPopupTextMargin, y + top.height, x + width - kPopupTextMargin, y + top.height + bodyHeight},
            kLabelWrappedCentred, painter.FontText(), kBlack, 0, false);

  if (screen.PopupHasButtons()) {
    DrawSoftKeyBar(painter, target, resources::StringTable::kNoText, screen.LeftPopupKey(), screen.RightPopupKey());
  }
}

}  // namespace kestrova::ui
