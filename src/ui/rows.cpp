#include "ui/rows.h"

#include "ui/bars.h"
#include "ui/labels.h"
#include "ui/painter.h"
#include "ui/skin_image_table.h"

namespace kestrova::ui {

void DrawRowSeparator(Painter& painter, platform::Canvas& target, int bottom) {
  const int width = painter.ScreenWidth();
  DrawLine(painter, target, 0, bottom - 1, width, bottom - 1, kSeparatorDark);
  DrawLine(painter, target, 0, bottom, width, bottom, kSeparatorLight);
}

void DrawButtonRow(Painter& painter, platform::Canvas& target, int row, std::wstring_view text, bool selected,
                   int tickerId) {
  const int top = RowTop(row);
  const int width = painter.ScreenWidth();
  const int image = selected ? kImageFormSelButton : kImageFormUnselButton;
  DrawImage(painter, target, image, 0, top + (kRowHeight - painter.Image(image).height) / 2 + 1);
  DrawLabel(painter, target, text, {kRowIconTextStart, top + 1, width - kRowIconTextStart, top + kRowHeight + 1},
            kLabelCentred, painter.FontText(), selected ? kBlack : kWhite, tickerId, selected);
  DrawRowSeparator(painter, target, top + kRowHeight);
}

void DrawListRow(Painter& painter, platform::Canvas& target, int row, std::wstring_view text, bool selected,
                 int tickerId, const ListRowParts& parts) {
  const int top = RowTop(row);
  const int bottom = top + kRowHeight;
  const int width = painter.ScreenWidth();
  if (selected) DrawImage(painter, target, kImageSelector, 0, top + 2);
  const platform::Colour colour = selected ? kBlack : kWhite;
  const platform::Font* font = painter.FontText();

  int textStart = kBarMargin;
  if (parts.leftIcon >= 0 && parts.leftIcon < kSkinImageCount) {
    DrawImage(painter, target, parts.leftIcon, kBarMargin,
              top + (kRowHeight - painter.Image(parts.leftIcon).height) / 2);
    textStart = kRowIconTextStart;
  } else if (!parts.leftCaption.empty() && !parts.captionSample.empty() && font != nullptr) {
    const int column = font->Width(parts.captionSample);
    DrawLabel(painter, target, parts.leftCaption, {kBarMargin, top, kBarMargin + column, bottom}, kLabelCentred, font,
              colour, 0, false);
    textStart = column + 2 * kBarMargin;
  }

  int rightEdge = width - kBarMargin;
  int textEnd = rightEdge;
  if (parts.rightIcon >= 0 && parts.rightIcon < kSkinImageCount) {
    const auto& icon = painter.Image(parts.rightIcon);
    DrawImage(painter, target, parts.rightIcon, rightEdge - icon.width, top + (kRowHeight - icon.height) / 2);
    rightEdge -= icon.width + kRowRightGap;
    textEnd = rightEdge - kRowTextGap;
  }
  if (!parts.rightText.empty() && font != nullptr) {
    const int textWidth = font->Width(parts.rightText);
    DrawLabel(painter, target, parts.rightText, {rightEdge - textWidth, top, rightEdge, bottom}, kLabelRight, font,
              colour, 0, false);
    textEnd = rightEdge - textWidth - kRowTextGap;
  }
  DrawLabel(painter, target, text, {textStart, top, textEnd, bottom}, kLabelLeft, font, colour, tickerId, selected);
  DrawRowSeparator(painter, target, bottom);
}

void DrawTextBlockRow(Painter& painter, platform::Canvas& target, int row, std::wstring_view text, int lines,
                      int tickerId) {
  if (lines < 1) return;
  const int top = RowTop(row) + 1;
  const int width = painter.ScreenWidth();
  target.Fill({0, top, width, top + kRowHeight * lines}, kBlack);
  if (lines == 1) {
    DrawLabel(painter, target, text, {0, top, width, top + kRowHeight}, kLabelCentred, painter.FontText(), kHighlight,
              0, false);
  } else {
    DrawLabelBlock(painter, target, text, {kBarMargin, top, width - kBarMargin, top + kRowHeight * lines},
                   kLabelBlock, painter.FontText(), kHighlight, tickerId, true);
  }
  DrawRowSeparator(painter, target, kRowHeight * (row + lines + 1));
}

}  // namespace kestrova::ui
