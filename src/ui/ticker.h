// Scrolling texts: a label too wide (or a text block too tall) for its
// rectangle is registered here instead of being drawn, and the view's timers
// rotate it one character (horizontal) or one line (vertical) at a time.
// Ticker ids: 1 header title; 3, 4, 5 soft-key labels; 6 + r visible row r;
// the channel card and settings screen reuse 6 to 8. All tickers are removed
// on every change of screen.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/canvas.h"
#include "platform/colour.h"
#include "platform/font.h"
#include "platform/rect.h"

namespace kestrova::ui {

constexpr int kNoTicker = 0;
constexpr int kTickerHeaderTitle = 1;
constexpr int kTickerLeftSoftKey = 3;
constexpr int kTickerRightSoftKey = 4;
constexpr int kTickerMiddleSoftKey = 5;
constexpr int kTickerFirstRow = 6;  // + visible row index

// What follows the text in the rotating text, so that its end and its
// start are apart while it scrolls.
constexpr std::wstring_view kHorizontalTickerGap = L" *** ";
constexpr std::wstring_view kVerticalTickerGap = L"\n***\n";

struct Ticker {
  int id = kNoTicker;
  platform::Rect rect;
  unsigned flags = 0;
  std::wstring source;
  std::wstring rotating;
  const platform::Font* font = nullptr;
  platform::Colour colour;
  bool vertical = false;
  bool disabled = false;
};

class TickerRegistry {
 public:
  // Creates or updates the ticker and enables it. The same text keeps its
  // rotation; a different text starts again from its beginning.
  void Set(int id, const platform::Rect& rect, std::wstring_view text, unsigned flags, const platform::Font* font,
           platform::Colour colour, bool vertical);
  // Stops the ticker and puts its text back to the start; an unknown id
  // changes nothing.
  void Disable(int id);
  // Removes every ticker (change of screen).
  void Clear() { tickers_.clear(); }

  bool Empty() const { return tickers_.empty(); }
  std::size_t Count() const { return tickers_.size(); }
  const Ticker* Find(int id) const;
  std::vector<Ticker>& Entries() { return tickers_; }
  const std::vector<Ticker>& Entries() const { return tickers_; }

  // Moves the first character of the rotating text to its end.
  static void StepHorizontal(Ticker& ticker);
  // Moves the words that fill the first line of the rectangle to the end.
  static void StepVertical(Ticker& ticker);

  // Draws every enabled ticker, each clipped to its rectangle.
  void Draw(platform::Canvas& canvas) const;

 private:
  Ticker* FindEntry(int id);

  std::vector<Ticker> tickers_;
};

}  // namespace kestrova::ui
