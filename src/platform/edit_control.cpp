#include "platform/edit_control.h"

#include <SDL.h>

#include <algorithm>

#include "platform/text.h"

namespace kestrova::platform {

bool HasScreenKeyboard() { return SDL_HasScreenKeyboardSupport() == SDL_TRUE; }

void EditControl::SetText(std::wstring_view text) {
  text_.assign(text);
  anchor_ = caret_ = 0;
  scroll_ = 0;
}

void EditControl::SetSel(int start, int end) {
  const int length = static_cast<int>(text_.size());
  if (end < 0) end = length;
  anchor_ = std::clamp(start < 0 ? length : start, 0, length);
  caret_ = std::clamp(end, 0, length);
}

void EditControl::Clear() { ReplaceSel({}); }

void EditControl::ReplaceSel(std::wstring_view text) {
  const auto start = static_cast<std::size_t>(SelStart());
  const auto end = static_cast<std::size_t>(SelEnd());
  text_.replace(start, end - start, text);
  anchor_ = caret_ = static_cast<int>(start + text.size());
  ScrollCaret();
}

void EditControl::Move(const Rect& windowRect) {
  window_ = windowRect;
  ScrollCaret();
}

int EditControl::TextWidth(std::size_t count) const {
  if (font_ == nullptr) return 0;
  int width = 0;
  for (std::size_t i = 0; i < count && i < text_.size(); ++i) width += font_->Advance(Shown(i));
  return width;
}

void EditControl::ScrollCaret() {
  const int caretX = TextWidth(static_cast<std::size_t>(caret_));
  const int visible = std::max(ClientWidth() - 1, 0);  // room for the caret line
  if (caretX - scroll_ > visible) scroll_ = caretX - visible;
  if (caretX < scroll_) scroll_ = caretX;
  // Do not leave empty room on the right while text is scrolled out on the left.
  const int total = TextWidth(text_.size());
  if (scroll_ > 0 && total - scroll_ < visible) scroll_ = std::max(0, total - visible);
  scroll_ = std::max(scroll_, 0);
}

void EditControl::HandleKeyDown(std::uint32_t key) {
  const int length = static_cast<int>(text_.size());
  switch (key) {
    case VK_LEFT:
      anchor_ = caret_ = HasSelection() ? SelStart() : std::max(caret_ - 1, 0);
      break;
    case VK_RIGHT:
      anchor_ = caret_ = HasSelection() ? SelEnd() : std::min(caret_ + 1, length);
      break;
    case VK_HOME: anchor_ = caret_ = 0; break;
    case VK_END: anchor_ = caret_ = length; break;
    case VK_DELETE:
      if (!HasSelection() && caret_ < length) caret_ = caret_ + 1;
      Clear();
      break;
    default: return;
  }
  ScrollCaret();
}

void EditControl::HandleChar(wchar_t character) {
  const auto code = static_cast<std::uint32_t>(character);
  // Control characters (Back, Enter, Tab) are keys, not text.
  if (code < 0x20U || code == 0x7FU || code > 0x10FFFFU || (code >= 0xD800U && code <= 0xDFFFU)) return;
  if (numbersOnly_ && (character < L'0' || character > L'9')) return;
  ReplaceSel(std::wstring_view(&character, 1));
}

void EditControl::HandlePointerDown(int x, int y) {
  if (!Contains(window_, x, y)) return;
  const int target = x - window_.left - kMargin + scroll_;
  int pen = 0;
  std::size_t index = 0;
  for (; index < text_.size(); ++index) {
    const int advance = font_ != nullptr ? font_->Advance(Shown(index)) : 0;
    if (pen + advance / 2 >= target) break;
    pen += advance;
  }
  anchor_ = caret_ = static_cast<int>(index);
  ScrollCaret();
}

void EditControl::DrawRun(Canvas& canvas, std::size_t begin, std::size_t end, int x, int y, Colour colour) const {
  for (std::size_t i = begin; i < end; ++i) {
    const Font::Glyph& glyph = font_->GetGlyph(Shown(i));
    if (!glyph.coverage.empty()) {
      canvas.PaintMask({glyph.coverage.data(), glyph.width, glyph.height, glyph.width}, x + glyph.offsetX, y, colour);
    }
    x += glyph.advance;
  }
}

void EditControl::Draw(Canvas& canvas, const Colours& colours) const {
  if (!visible_ || window_.Empty()) return;
  Rect clip = window_;
  if (region_) {
    clip = Intersect(window_, Rect{window_.left + region_->left, window_.top + region_->top,
                                   window_.left + region_->right, window_.top + region_->bottom});
  }
  ClipScope scope(canvas, clip);
  if (canvas.Clip().Empty()) return;

  // Background: the brush's pattern tiled from the box's top-left corner.
  const Bitmap* brush = colours.brush;
  if (brush != nullptr && !brush->Empty()) {
    const Rect area = canvas.Clip();
    for (int y = area.top; y < area.bottom; ++y) {
      const std::uint16_t* pattern = brush->Row((y - window_.top) % brush->Height());
      std::uint16_t* row = canvas.Target().Row(y);
      for (int x = area.left; x < area.right; ++x) row[x] = pattern[(x - window_.left) % brush->Width()];
    }
  } else {
    canvas.Fill(window_, colours.background);
  }
  if (font_ == nullptr) return;

  const int textTop = window_.top + (window_.Height() - font_->LineHeight()) / 2;
  const int textLeft = window_.left + kMargin - scroll_;
  {
    ClipScope inner(canvas, {window_.left + kMargin, window_.top, window_.right - kMargin, window_.bottom});
    if (!colours.transparentText) {
      canvas.Fill({textLeft, textTop, textLeft + TextWidth(text_.size()), textTop + font_->LineHeight()},
                  colours.background);
    }
    const auto selStart = static_cast<std::size_t>(SelStart());
    const auto selEnd = static_cast<std::size_t>(SelEnd());
    const int selLeft = textLeft + TextWidth(selStart);
    const int selRight = textLeft + TextWidth(selEnd);
    DrawRun(canvas, 0, selStart, textLeft, textTop, colours.text);
    if (selEnd > selStart) {
      canvas.Fill({selLeft, textTop, selRight, textTop + font_->LineHeight()}, kSelectionBackground);
      DrawRun(canvas, selStart, selEnd, selLeft, textTop, kSelectionText);
    }
    DrawRun(canvas, selEnd, text_.size(), selRight, textTop, colours.text);
  }
  if (focused_ && !HasSelection()) {
    const int caretX = textLeft + TextWidth(static_cast<std::size_t>(caret_));
    canvas.Fill({caretX, textTop, caretX + 1, textTop + font_->LineHeight()}, colours.text);
  }
}

}  // namespace kestrova::platform
