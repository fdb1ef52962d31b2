#include "ui/scroll_bar.h"

#include <algorithm>
#include <cmath>

namespace kestrova::ui {

namespace {

// Guards the conversion from a thumb position back to a row against the
// rounding of the division (a thumb put at row n must read back as n).
constexpr double kRowEpsilon = 1e-6;

void DrawArrow(platform::Canvas& canvas, const platform::Rect& square, bool pointsUp, platform::Colour colour) {
  // A small triangle, 3 pixels high, centred in the square.
  const int centreX = (square.left + square.right) / 2;
  const int centreY = (square.top + square.bottom) / 2;
  for (int i = 0; i < 3; ++i) {
    const int y = pointsUp ? centreY - 1 + i : centreY + 1 - i;
    canvas.Fill({centreX - i, y, centreX + i + 1, y + 1}, colour);
  }
}

}  // namespace

ScrollBar::ScrollBar(int range, int width, int top, int right, int bottom)
    : range_(range), width_(width), top_(top), right_(right), bottom_(bottom), thumb_(top + width) {}

void ScrollBar::MoveThumb(double top) {
  // max after min: a bar too short for its thumb keeps the thumb at its top.
  thumb_ = std::max(static_cast<double>(ThumbMin()), std::min(top, static_cast<double>(ThumbMax())));
}

void ScrollBar::SetFirstRow(int first) {
  if (!Active()) return;
  MoveThumb(ThumbMin() + first * Step());
}

int ScrollBar::FirstRow() const {
  if (!Active() || FreeTrack() <= 0) return 0;
  const double rows = (thumb_ - ThumbMin()) / FreeTrack() * range_;
  return std::clamp(static_cast<int>(std::floor(rows + kRowEpsilon)), 0, range_);
}

bool ScrollBar::InsideBar(int x, int y) const {
  return x >= right_ - width_ - kTolerance && x <= right_ + kTolerance && y >= top_ - kTolerance &&
         y <= bottom_ + kTolerance;
}

bool ScrollBar::OnPointer(int x, int y, int kind) {
  if (!Active()) return false;
  switch (kind) {
    case kPointerDown:
      if (!InsideBar(x, y)) return false;
      if (y <= top_ + width_ + kTolerance) {
        upPressed_ = true;
        MoveThumb(thumb_ - Step());
        return true;
      }
      if (y >= bottom_ - width_ - kTolerance) {
        downPressed_ = true;
        MoveThumb(thumb_ + Step());
        return true;
      }
      if (y >= thumb_ - kTolerance && y <= thumb_ + ThumbHeight() + kTolerance) {
        thumbPressed_ = true;
        grab_ = y - static_cast<int>(thumb_);
        return true;
      }
      return false;
    case kPointerMove:
      if (!thumbPressed_) return false;
      MoveThumb(y - grab_);
      return true;
    case kPointerUp: {
      const bool pressed = thumbPressed_ || upPressed_ || downPressed_;
      thumbPressed_ = upPressed_ = downPressed_ = false;
      return pressed || InsideBar(x, y);
    }
    default: return false;
  }
}

void ScrollBar::Draw(platform::Canvas& canvas) const {
  if (!Active()) return;
  const int left = right_ - width_;
  const platform::Rect track{left, top_, right_, bottom_};
  canvas.Fill(track, kTrackFill);
  canvas.Frame(track, kTrackOutline);

  const platform::Rect up{left, top_, right_, top_ + width_};
  const platform::Rect down{left, bottom_ - width_, right_, bottom_};
  const platform::Colour upColour = upPressed_ ? kPressedOutline : kPartOutline;
  const platform::Colour downColour = downPressed_ ? kPressedOutline : kPartOutline;
  canvas.Frame(up, upColour);
  DrawArrow(canvas, up, true, upColour);
  canvas.Frame(down, downColour);
  DrawArrow(canvas, down, false, downColour);

  const int thumbTop = static_cast<int>(thumb_);
  const platform::Rect thumb{left, thumbTop, right_, thumbTop + ThumbHeight()};
  canvas.Fill(thumb, kTrackFill);
  canvas.Frame(thumb, thumbPressed_ ? kPressedOutline : kPartOutline);
}

}  // namespace kestrova::ui
