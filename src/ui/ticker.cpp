#include "ui/ticker.h"

#include <algorithm>

#include "platform/text.h"

namespace kestrova::ui {

namespace {

std::wstring_view Gap(bool vertical) { return vertical ? kVerticalTickerGap : kHorizontalTickerGap; }

bool IsWordSeparator(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n'; }

}  // namespace

Ticker* TickerRegistry::FindEntry(int id) {
  for (auto& ticker : tickers_) {
    if (ticker.id == id) return &ticker;
  }
  return nullptr;
}

const Ticker* TickerRegistry::Find(int id) const {
  for (const auto& ticker : tickers_) {
    if (ticker.id == id) return &ticker;
  }
  return nullptr;
}

void TickerRegistry::Set(int id, const platform::Rect& rect, std::wstring_view text, unsigned flags,
                         const platform::Font* font, platform::Colour colour, bool vertical) {
  Ticker* ticker = FindEntry(id);
  if (ticker == nullptr) {
    tickers_.emplace_back();
    ticker = &tickers_.back();
    ticker->id = id;
  }
  ticker->rect = rect;
  ticker->flags = flags;
  ticker->font = font;
  ticker->colour = colour;
  ticker->disabled = false;
  if (ticker->source != text || ticker->vertical != vertical || ticker->rotating.empty()) {
    ticker->source.assign(text);
    ticker->rotating.assign(text);
    ticker->rotating.append(Gap(vertical));
  }
  ticker->vertical = vertical;
}

void TickerRegistry::Disable(int id) {
  Ticker* ticker = FindEntry(id);
  if (ticker == nullptr) return;
  ticker->disabled = true;
  ticker->rotating.assign(ticker->source);
  ticker->rotating.append(Gap(ticker->vertical));
}

void TickerRegistry::StepHorizontal(Ticker& ticker) {
  if (ticker.rotating.size() < 2) return;
  std::rotate(ticker.rotating.begin(), ticker.rotating.begin() + 1, ticker.rotating.end());
}

void TickerRegistry::StepVertical(Ticker& ticker) {
  if (ticker.font == nullptr || ticker.rotating.empty()) return;
  const std::wstring_view text = ticker.rotating;
  platform::Rect line = ticker.rect;
  platform::MeasureText(*ticker.font, L"A", line, platform::DT_CALCRECT);
  const int lineHeight = line.Height();

  // Grow the measured text word by word (each with its separator) until it
  // no longer fits on one line.
  std::size_t split = 0;
  std::size_t position = 0;
  while (position < text.size()) {
    std::size_t end = position;
    while (end < text.size() && !IsWordSeparator(text[end])) ++end;
    end = std::min(end + 1, text.size());
    platform::Rect measured = ticker.rect;
    platform::MeasureText(*ticker.font, text.substr(0, end), measured, platform::DT_CALCRECT | platform::DT_WORDBREAK);
    if (measured.Height() > lineHeight) {
      if (split == 0) split = end;  // even the first word fills a line
      break;
    }
    split = end;
    position = end;
  }
  if (split == 0 || split >= text.size()) return;
  std::rotate(ticker.rotating.begin(), ticker.rotating.begin() + static_cast<std::ptrdiff_t>(split),
              ticker.rotating.end());
}

void TickerRegistry::Draw(platform::Canvas& canvas) const {
  for (const auto& ticker : tickers_) {
    if (ticker.disabled || ticker.font == nullptr) continue;
    platform::Rect rect = ticker.rect;
    platform::DrawText(canvas, *ticker.font, ticker.colour, ticker.rotating, rect,
                       ticker.flags & ~platform::DT_CALCRECT);
  }
}

}  // namespace kestrova::ui
