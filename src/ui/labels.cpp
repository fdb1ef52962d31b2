#include "ui/labels.h"

#include "platform/text.h"
#include "ui/painter.h"
#include "ui/ticker.h"

namespace kestrova::ui {

namespace {

int MeasuredWidth(const platform::Font& font, std::wstring_view text, const platform::Rect& rect, unsigned flags) {
  platform::Rect measured = rect;
  platform::MeasureText(font, text, measured, flags);
  return measured.Width();
}

void DisableTicker(Painter& painter, int tickerId) {
  if (tickerId != kNoTicker && painter.Tickers() != nullptr) painter.Tickers()->Disable(tickerId);
}

// Multi-line text moved down by half the room left under it; drawn in the
// caller's rectangle so that it never spills over what lies below.
int DrawCentredBlock(platform::Canvas& target, const platform::Font& font, std::wstring_view text,
                     const platform::Rect& rect, unsigned flags, platform::Colour colour) {
  platform::Rect measured = rect;
  platform::MeasureText(font, text, measured, flags);
  platform::Rect area = rect;
  if (measured.Height() < rect.Height()) area.top += (rect.Height() - measured.Height()) / 2;
  platform::ClipScope clip(target, rect);
  return platform::DrawText(target, font, colour, text, area, flags & ~platform::DT_CALCRECT);
}

}  // namespace

int DrawLabel(Painter& painter, platform::Canvas& target, std::wstring_view text, const platform::Rect& rect,
              unsigned flags, const platform::Font* font, platform::Colour colour, int tickerId, bool scroll) {
  flags &= ~platform::DT_CALCRECT;
  if (font == nullptr) {
    if (!scroll) DisableTicker(painter, tickerId);
    return 0;
  }
  if ((flags & platform::DT_SINGLELINE) == 0 && !scroll) {
    return DrawCentredBlock(target, *font, text, rect, flags, colour);
  }
  const int rectWidth = rect.Width();
  int measured = MeasuredWidth(*font, text, rect, flags);

  if (tickerId != kNoTicker && scroll && rectWidth < measured) {
    if (painter.Tickers() != nullptr) {
      painter.Tickers()->Set(tickerId, rect, text, flags, font, colour, false);
      return 0;
    }
  } else {
    // A text that fits needs no ticker: a stale one of the same id (left
    // from a longer text) must not scroll over it.
    DisableTicker(painter, tickerId);
  }

  std::wstring& shortened = painter.Scratch();
  shortened.assign(text);
  if (rectWidth > 0 && measured / rectWidth >= 2) {
    shortened.resize(shortened.size() / static_cast<std::size_t>(measured / rectWidth));
    measured = MeasuredWidth(*font, shortened, rect, flags);
  }
  bool appended = false;
  for (std::size_t pass = 0; rectWidth < measured && pass < text.size(); ++pass) {
    const std::size_t drop = appended ? kEllipsis.size() + 1 : 1;
    shortened.resize(shortened.size() > drop ? shortened.size() - drop : 0);
    shortened.append(kEllipsis);
    appended = true;
    measured = MeasuredWidth(*font, shortened, rect, flags);
  }
  platform::Rect area = rect;
  return platform::DrawText(target, *font, colour, shortened, area, flags);
}

int DrawLabelBlock(Painter& painter, platform::Canvas& target, std::wstring_view text, const platform::Rect& rect,
                   unsigned flags, const platform::Font* font, platform::Colour colour, int tickerId, bool scroll) {
  flags = (flags & ~(platform::DT_CALCRECT | platform::DT_SINGLELINE)) | platform::DT_WORDBREAK;
  if (font == nullptr) {
    if (!scroll) DisableTicker(painter, tickerId);
    return 0;
  }
  platform::Rect measured = rect;
  platform::MeasureText(*font, text, measured, flags);
  if (tickerId != kNoTicker && scroll && measured.Height() > rect.Height() && painter.Tickers() != nullptr) {
    painter.Tickers()->Set(tickerId, rect, text, flags, font, colour, true);
    return 0;
  }
  DisableTicker(painter, tickerId);
  return DrawCentredBlock(target, *font, text, rect, flags, colour);
}

}  // namespace kestrova::ui
