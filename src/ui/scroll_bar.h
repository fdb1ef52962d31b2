// The vertical scroll bar of a list screen: a track with an up arrow, a
// down arrow and a thumb one third of the track high. Its range is the
// number of rows that do not fit on the page (item count - rows per page); a
// range of 0 or less makes it inert and invisible. Pointer events within 5
// pixels of an area count as on it.
#pragma once

#include "platform/canvas.h"
#include "platform/colour.h"

namespace kestrova::ui {

class ScrollBar {
 public:
  static constexpr int kWidth = 12;
  static constexpr int kTop = 32;
  static constexpr int kRight = 240;
  static constexpr int kBottom = 288;
  static constexpr int kTolerance = 5;

  static constexpr platform::Colour kTrackFill = platform::Rgb(140, 130, 150);
  static constexpr platform::Colour kTrackOutline = platform::Rgb(82, 75, 96);
  static constexpr platform::Colour kPartOutline = platform::Rgb(180, 190, 200);
  static constexpr platform::Colour kPressedOutline = platform::Rgb(240, 250, 170);

  // Pointer event kinds, as the screens receive them.
  static constexpr int kPointerDown = 0;
  static constexpr int kPointerUp = 1;
  static constexpr int kPointerMove = 3;

  explicit ScrollBar(int range, int width = kWidth, int top = kTop, int right = kRight, int bottom = kBottom);

  int Range() const { return range_; }
  bool Active() const { return range_ > 0; }
  int Width() const { return width_; }
  int Top() const { return top_; }
  int Right() const { return right_; }
  int Bottom() const { return bottom_; }

  int Track() const { return bottom_ - 2 * width_ - top_; }
  int ThumbHeight() const { return Track() / 3; }
  int FreeTrack() const { return Track() - ThumbHeight(); }
  int ThumbMin() const { return top_ + width_; }
  int ThumbMax() const { return bottom_ - width_ - ThumbHeight(); }
  // The thumb's top; kept with its fraction so that arrow steps add up.
  double ThumbTop() const { return thumb_; }

  // Puts the thumb where the first visible row `first` has it.
  void SetFirstRow(int first);
  // The first visible row the thumb stands for.
  int FirstRow() const;

  bool ThumbPressed() const { return thumbPressed_; }
  bool UpPressed() const { return upPressed_; }
  bool DownPressed() const { return downPressed_; }

  // Handles a pointer event; true when the bar took it.
  bool OnPointer(int x, int y, int kind);

  void Draw(platform::Canvas& canvas) const;

 private:
  double Step() const { return static_cast<double>(FreeTrack()) / range_; }
  void MoveThumb(double top);
  bool InsideBar(int x, int y) const;

  int range_;
  int width_;
  int top_;
  int right_;
  int bottom_;
  double thumb_;
  int grab_ = 0;
  bool thumbPressed_ = false;
  bool upPressed_ = false;
  bool downPressed_ = false;
};

}  // namespace kestrova::ui
