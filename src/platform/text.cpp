#include "platform/text.h"

#include <algorithm>

namespace kestrova::platform {

LineBreaker::LineBreaker(const Font& font, std::wstring_view text, int width, unsigned flags)
    : font_(font), text_(text), width_(width), flags_(flags) {}

std::size_t LineBreaker::ParagraphEnd() const {
  std::size_t end = position_;
  while (end < text_.size() && !IsLineEnd(text_[end])) ++end;
  return end;
}

std::size_t LineBreaker::SkipLineEnd(std::size_t at) const {
  if (at >= text_.size()) return at;
  if (text_[at] == L'\r' && at + 1 < text_.size() && text_[at + 1] == L'\n') return at + 2;
  return at + 1;
}

bool LineBreaker::Next(TextLine& line) {
  if (position_ >= text_.size()) return false;
  if ((flags_ & DT_SINGLELINE) != 0) {
    line = {position_, text_.size(), font_.Width(text_.substr(position_))};
    position_ = text_.size();
    return true;
  }
  const std::size_t paragraphEnd = ParagraphEnd();
  if ((flags_ & DT_WORDBREAK) == 0) {
    line = {position_, paragraphEnd, font_.Width(text_.substr(position_, paragraphEnd - position_))};
    position_ = SkipLineEnd(paragraphEnd);
    return true;
  }
  // Greedy filling: take words while the text up to the end of the word fits.
  std::size_t fitEnd = 0;
  std::size_t fitNext = 0;
  int fitWidth = 0;
  bool haveFit = false;
  int running = 0;  // width of text_[position_, i)
  std::size_t i = position_;
  while (i < paragraphEnd) {
    while (i < paragraphEnd && !IsBlank(text_[i])) running += font_.Advance(text_[i++]);
    const std::size_t wordEnd = i;
    const int wordEndWidth = running;
    while (i < paragraphEnd && IsBlank(text_[i])) running += font_.Advance(text_[i++]);
    if (haveFit && wordEndWidth > width_) {
      line = {position_, fitEnd, fitWidth};
      position_ = fitNext;
      return true;
    }
    fitEnd = wordEnd;
    fitNext = i;
    fitWidth = wordEndWidth;
    haveFit = true;
    if (wordEndWidth > width_) {  // a first word wider than the line stays whole
      line = {position_, fitEnd, fitWidth};
      position_ = fitNext < paragraphEnd ? fitNext : SkipLineEnd(paragraphEnd);
      return true;
    }
  }
  line = {position_, haveFit ? fitEnd : paragraphEnd, fitWidth};
  position_ = SkipLineEnd(paragraphEnd);
  return true;
}

namespace {

int LineX(const Rect& rect, int width, unsigned flags) {
  if ((flags & DT_CENTER) != 0) return (rect.left + rect.right - width) / 2;
  if ((flags & DT_RIGHT) != 0) return rect.right - width;
  return rect.left;
}

void DrawLine(Canvas& canvas, const Font& font, Colour colour, std::wstring_view text, int x, int y) {
  const int clipRight = canvas.Clip().right;
  for (const wchar_t c : text) {
    if (x >= clipRight) return;
    const Font::Glyph& glyph = font.GetGlyph(c);
    if (!glyph.coverage.empty()) {
      canvas.PaintMask({glyph.coverage.data(), glyph.width, glyph.height, glyph.width}, x + glyph.offsetX, y, colour);
    }
    x += glyph.advance;
  }
}

int Layout(Canvas* canvas, const Font& font, Colour colour, std::wstring_view text, Rect& rect, unsigned flags) {
  const int lineHeight = font.LineHeight();
  LineBreaker breaker(font, text, rect.Width(), flags);
  TextLine line;
  if ((flags & DT_CALCRECT) != 0 || canvas == nullptr) {
    int widest = 0;
    int lines = 0;
    while (breaker.Next(line)) {
      widest = std::max(widest, line.width);
      ++lines;
    }
    rect.right = rect.left + widest;
    rect.bottom = rect.top + lines * lineHeight;
    return lines * lineHeight;
  }
  ClipScope clip(*canvas, rect);
  if ((flags & DT_SINGLELINE) != 0) {
    if (!breaker.Next(line)) return 0;
    int y = rect.top;
    if ((flags & DT_VCENTER) != 0) y = (rect.top + rect.bottom - lineHeight) / 2;
    else if ((flags & DT_BOTTOM) != 0) y = rect.bottom - lineHeight;
    if (canvas->Clip().Empty()) return y - rect.top + lineHeight;
    DrawLine(*canvas, font, colour, text.substr(line.begin, line.end - line.begin), LineX(rect, line.width, flags), y);
    return (flags & (DT_VCENTER | DT_BOTTOM)) != 0 ? y - rect.top + lineHeight : lineHeight;
  }
  int y = rect.top;
  const int clipBottom = canvas->Clip().bottom;
  while (breaker.Next(line)) {
    if (y < clipBottom && y + lineHeight > canvas->Clip().top) {
      DrawLine(*canvas, font, colour, text.substr(line.begin, line.end - line.begin), LineX(rect, line.width, flags),
               y);
    }
    y += lineHeight;
  }
  return y - rect.top;
}

}  // namespace

int DrawText(Canvas& canvas, const Font& font, Colour colour, std::wstring_view text, Rect& rect, unsigned flags) {
  return Layout(&canvas, font, colour, text, rect, flags);
}

int MeasureText(const Font& font, std::wstring_view text, Rect& rect, unsigned flags) {
  return Layout(nullptr, font, Colour{}, text, rect, flags | DT_CALCRECT);
}

}  // namespace kestrova::platform
