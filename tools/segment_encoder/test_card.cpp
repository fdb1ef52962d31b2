#include "segment_encoder/test_card.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "segment_encoder/test_card_geometry.h"

namespace kestrova::encoder {
namespace {

constexpr int kSecondsPerDay = 86400;
constexpr int kSecondsPerHour = 3600;
constexpr int kSecondsPerMinute = 60;
constexpr std::uint8_t kChromaZero = 128;
constexpr std::uint8_t kTextLuma = 255;
constexpr std::uint8_t kBandLuma = 32;
constexpr std::uint8_t kStripLuma = 64;
constexpr std::uint8_t kSquareLuma = 235;
// The square crosses the strip in this many frames' worth of seconds.
constexpr double kSweepSeconds = 2.0;

struct YCbCr {
  std::uint8_t y;
  std::uint8_t cb;
  std::uint8_t cr;
};

std::uint8_t Clamp(double v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

// Full-range BT.601, the inverse of the client's colour table.
YCbCr FromRgb(const BarColour& c) {
  const double y = 0.299 * c.red + 0.587 * c.green + 0.114 * c.blue;
  return {Clamp(y), Clamp(kChromaZero + (c.blue - y) / 1.772), Clamp(kChromaZero + (c.red - y) / 1.402)};
}

Plane NewPlane(int width, int height, std::uint8_t fill) {
  Plane plane;
  plane.width = width;
  plane.height = height;
  plane.samples.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill);
  return plane;
}

void FillRect(Plane& plane, int left, int top, int right, int bottom, std::uint8_t value) {
  for (int y = std::max(top, 0); y < std::min(bottom, plane.height); ++y) {
    for (int x = std::max(left, 0); x < std::min(right, plane.width); ++x) plane.At(x, y) = value;
  }
}

std::string ClockText(long seconds) {
  const long s = ((seconds % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay;
  char text[16];
  std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", s / kSecondsPerHour, s / kSecondsPerMinute % kSecondsPerMinute,
                s % kSecondsPerMinute);
  return text;
}

}  // namespace

TestCard::TestCard(const SegmentRecipe& recipe, int frameWidth, int frameHeight) : recipe_(recipe) {
  shiftX_ = recipe.chroma == ChromaFormat::k444 ? 0 : 1;
  shiftY_ = recipe.chroma == ChromaFormat::k420 ? 1 : 0;
  y_ = NewPlane(frameWidth, frameHeight, 0);
  u_ = NewPlane(frameWidth, frameHeight, kChromaZero);
  v_ = NewPlane(frameWidth, frameHeight, kChromaZero);
  frame_.luma = NewPlane(frameWidth, frameHeight, 0);
  frame_.cb = NewPlane(frameWidth >> shiftX_, frameHeight >> shiftY_, kChromaZero);
  frame_.cr = NewPlane(frameWidth >> shiftX_, frameHeight >> shiftY_, kChromaZero);

  // Below the bars: the name band, the clock band and the sweep strip.
  const int barsBottom = BarsBottom(recipe.height);
  bandHeight_ = (recipe.height - barsBottom) / 3;
  nameTop_ = barsBottom;
  clockTop_ = nameTop_ + bandHeight_;
  sweepTop_ = clockTop_ + bandHeight_;
  constexpr int kTextPercentOfBand = 85;
  font_ = CardFont::Open(bandHeight_ * kTextPercentOfBand / 100);
  DrawStill();
}

void TestCard::DrawStill() {
  const int width = recipe_.width;
  const int bars = static_cast<int>(kBarColours.size());
  for (int bar = 0; bar < bars; ++bar) {
    const YCbCr colour = FromRgb(kBarColours[static_cast<std::size_t>(bar)]);
    const int left = BarLeft(bar, width);
    const int right = BarLeft(bar + 1, width);
    FillRect(y_, left, 0, right, nameTop_, colour.y);
    FillRect(u_, left, 0, right, nameTop_, colour.cb);
    FillRect(v_, left, 0, right, nameTop_, colour.cr);
  }
  FillRect(y_, 0, nameTop_, width, sweepTop_, kBandLuma);
  FillRect(y_, 0, sweepTop_, width, recipe_.height, kStripLuma);
  if (font_) DrawText(y_, font_->Render(recipe_.channelName), nameTop_, bandHeight_);
  // Only the luma moves (the clock and the square are grey), so the chroma
  // planes are subsampled once.
  SubsampleChroma();
}

void TestCard::DrawText(Plane& luma, const TextMask& mask, int top, int bandHeight) {
  const int left = (recipe_.width - mask.width) / 2;
  const int textTop = top + (bandHeight - mask.height) / 2;
  for (int my = 0; my < mask.height; ++my) {
    const int y = textTop + my;
    if (y < top || y >= top + bandHeight || y >= recipe_.height) continue;
    for (int mx = 0; mx < mask.width; ++mx) {
      const int x = left + mx;
      if (x < 0 || x >= recipe_.width) continue;
      const int a = mask.At(mx, my);
      std::uint8_t& sample = luma.At(x, y);
      sample = static_cast<std::uint8_t>((sample * (255 - a) + kTextLuma * a) / 255);
    }
  }
}

void TestCard::DrawSweep(long index) {
  const int side = std::max(recipe_.height - sweepTop_, 1);
  const int travel = std::max(recipe_.width - side, 1);
  const double seconds = static_cast<double>(index) * recipe_.fpsDenominator / recipe_.fpsNumerator;
  const double phase = std::fmod(seconds / kSweepSeconds, 1.0);
  const int left = static_cast<int>(phase * travel);
  FillRect(frame_.luma, left, sweepTop_, left + side, recipe_.height, kSquareLuma);
}

const Picture& TestCard::Draw(long index) {
  std::copy(y_.samples.begin(), y_.samples.end(), frame_.luma.samples.begin());
  const long second = index * recipe_.fpsDenominator / recipe_.fpsNumerator;
  if (second != shownSecond_ && font_) {
    clockMask_ = font_->Render(ClockText(recipe_.clockStart + second));
    shownSecond_ = second;
  }
  DrawText(frame_.luma, clockMask_, clockTop_, bandHeight_);
  DrawSweep(index);
  return frame_;
}

void TestCard::SubsampleChroma() {
  const int cw = frame_.cb.width;
  const int ch = frame_.cb.height;
  const int count = (1 << shiftX_) * (1 << shiftY_);
  for (int cy = 0; cy < ch; ++cy) {
    for (int cx = 0; cx < cw; ++cx) {
      int sumU = 0;
      int sumV = 0;
      for (int dy = 0; dy < (1 << shiftY_); ++dy) {
        for (int dx = 0; dx < (1 << shiftX_); ++dx) {
          sumU += u_.At((cx << shiftX_) + dx, (cy << shiftY_) + dy);
          sumV += v_.At((cx << shiftX_) + dx, (cy << shiftY_) + dy);
        }
      }
      frame_.cb.At(cx, cy) = static_cast<std::uint8_t>((sumU + count / 2) / count);
      frame_.cr.At(cx, cy) = static_cast<std::uint8_t>((sumV + count / 2) / count);
    }
  }
}

}  // namespace kestrova::encoder
