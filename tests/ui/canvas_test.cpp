// The RGB565 canvas: clipping of every operation, line end points, the
// colour key and alpha blending.
#include "platform/canvas.h"

#include <gtest/gtest.h>

#include "platform/argb_image.h"
#include "ui_test_support.h"

namespace kestrova::platform {
namespace {

constexpr Colour kRed = Rgb(255, 0, 0);
constexpr Colour kBlue = Rgb(0, 0, 255);
constexpr Colour kGrey = Rgb(125, 125, 125);

int CountColour(const Bitmap& b, Colour c) {
  int n = 0;
  for (int y = 0; y < b.Height(); ++y) {
    for (int x = 0; x < b.Width(); ++x) n += b.Pixel(x, y) == ToRgb565(c) ? 1 : 0;
  }
  return n;
}

TEST(Canvas, FillAndCopyStayInsideTheClipAndTheBitmap) {
  Bitmap target(20, 10);
  Canvas canvas(target);
  canvas.Fill({-5, -5, 100, 100}, kBlue);
  EXPECT_EQ(CountColour(target, kBlue), 200);
  {
    ClipScope clip(canvas, {2, 2, 6, 5});
    canvas.Fill(target.Bounds(), kRed);
    Bitmap source(10, 10);
    Canvas(source).Fill(source.Bounds(), kGrey);
    canvas.Copy(source, -3, -3);  // mostly off the bitmap, still inside the clip
  }
  EXPECT_EQ(CountColour(target, kRed) + CountColour(target, kGrey), 12);
  EXPECT_EQ(canvas.Clip(), target.Bounds());  // restored
  // A source area cut on its left keeps its placement.
  Bitmap source(4, 1);
  source.Row(0)[0] = ToRgb565(kRed);
  source.Row(0)[1] = ToRgb565(kGrey);
  canvas.Copy(source, {-1, 0, 2, 1}, 10, 9);
  EXPECT_EQ(target.Pixel(11, 9), ToRgb565(kRed));
  EXPECT_EQ(target.Pixel(12, 9), ToRgb565(kGrey));
}

TEST(Canvas, LinesLeaveOutTheirEndPointAndAreClipped) {
  Bitmap target(10, 10);
  Canvas canvas(target);
  canvas.Fill(target.Bounds(), kBlue);
  canvas.Line(0, 2, 10, 2, kRed);  // full width
  EXPECT_EQ(CountColour(target, kRed), 10);
  canvas.Line(4, 9, 4, 5, kRed);  // upwards: 9, 8, 7, 6
  EXPECT_EQ(target.Pixel(4, 9), ToRgb565(kRed));
  EXPECT_EQ(target.Pixel(4, 5), ToRgb565(kBlue));
  canvas.Line(-20, -20, 30, 30, kRed);  // diagonal through the bitmap
  for (int i = 0; i < 10; ++i) EXPECT_EQ(target.Pixel(i, i), ToRgb565(kRed)) << i;
  canvas.Line(3, 3, 3, 3, kBlue);  // empty
  EXPECT_EQ(target.Pixel(3, 3), ToRgb565(kRed));
}

TEST(Canvas, ColourKeyedCopyKeepsTheTargetWhereTheSourceHasTheKey) {
  Bitmap target(4, 1);
  Canvas canvas(target);
  canvas.Fill(target.Bounds(), kBlue);
  Bitmap source(4, 1);
  Canvas(source).Fill(source.Bounds(), kGrey);
  source.Row(0)[1] = ToRgb565(kRed);
  canvas.CopyKeyed(source, 0, 0, ToRgb565(kGrey));
  EXPECT_EQ(target.Pixel(0, 0), ToRgb565(kBlue));
  EXPECT_EQ(target.Pixel(1, 0), ToRgb565(kRed));
  EXPECT_EQ(target.Pixel(2, 0), ToRgb565(kBlue));
}

TEST(Canvas, BlendMixesByAlphaAndSkipsTransparentPixels) {
  Bitmap target(3, 1);
  Canvas canvas(target);
  canvas.Fill(target.Bounds(), Rgb(200, 200, 200));
  ArgbImage argb(3, 1);
  ASSERT_FALSE(argb.Empty());
  std::uint32_t* p = argb.Row(0);
  p[0] = 0x00FF0000U;  // transparent red
  p[1] = 0x80000000U;  // half black
  p[2] = 0xFF00FF00U;  // opaque green
  canvas.Blend(argb, 0, 0);
  EXPECT_EQ(FromRgb565(target.Pixel(0, 0)), FromRgb565(ToRgb565(Rgb(200, 200, 200))));
  const Colour half = FromRgb565(target.Pixel(1, 0));
  EXPECT_NEAR(half.r, 100, 6);
  EXPECT_NEAR(half.g, 100, 6);
  EXPECT_EQ(target.Pixel(2, 0), ToRgb565(Rgb(0, 255, 0)));
}

}  // namespace
}  // namespace kestrova::platform
