#include "ui/bars.h"

#include "ui/labels.h"
#include "ui/painter.h"
#include "ui/skin_image_table.h"
#include "ui/ticker.h"

namespace kestrova::ui {

void DrawHeader(Painter& painter, platform::Canvas& target, int iconId, std::wstring_view title,
                std::wstring_view rightText) {
  const int width = painter.ScreenWidth();
  DrawImage(painter, target, kImageTopLine, 0, 0);
  const int barHeight = painter.Image(kImageTopLine).height;

  int titleStart = kBarMargin;
  if (iconId >= 0 && iconId < kSkinImageCount) {
    DrawImage(painter, target, iconId, kBarMargin, (barHeight - painter.Image(iconId).height) / 2);
    titleStart = kHeaderTitleWithIcon;
  }
  int titleEnd = width - kBarMargin;
  const platform::Font* font = painter.FontTitle();
  if (!rightText.empty() && font != nullptr) {
    const int textWidth = font->Width(rightText);
    DrawLabel(painter, target, rightText,
              {width - textWidth - kBarMargin, 0, width - kBarMargin, kHeaderRightTextHeight}, kLabelLeft, font, kWhite,
              kNoTicker, false);
    titleEnd = width - (textWidth + 2 * kBarMargin);
  }
  DrawLabel(painter, target, title, {titleStart, 0, titleEnd, barHeight}, kLabelLeft, font, kWhite,
            kTickerHeaderTitle, true);
}

void DrawHeaderById(Painter& painter, platform::Canvas& target, int iconId, int titleStringId,
                    std::wstring_view rightText) {
  DrawHeader(painter, target, iconId, painter.Text(titleStringId), rightText);
}

void DrawSoftKeyBar(Painter& painter, platform::Canvas& target, int middleStringId, int leftStringId,
                    int rightStringId) {
  const int width = painter.ScreenWidth();
  const int barHeight = painter.Image(kImageBottomLine).height;
  const int y0 = painter.Screen().bottom - painter.Screen().top - barHeight;
  DrawImage(painter, target, kImageBottomLine, 0, y0);
  const platform::Font* font = painter.FontTitle();
  DrawLabel(painter, target, painter.Text(leftStringId), {kBarMargin, y0, width / 2 - 11, y0 + barHeight},
            kLabelLeft, font, kWhite, kTickerLeftSoftKey, false);
  DrawLabel(painter, target, painter.Text(rightStringId), {width / 2 + 12, y0, width - kBarMargin, y0 + barHeight},
            kLabelRight, font, kWhite, kTickerRightSoftKey, false);
  DrawLabel(painter, target, painter.Text(middleStringId), {0, y0, width, y0 + barHeight}, kLabelCentred, font,
            kWhite, kTickerMiddleSoftKey, false);
}

}  // namespace kestrova::ui
