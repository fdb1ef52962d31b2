#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "player/colour_conversion.h"

namespace kestrova::player {
namespace {

constexpr std::uint16_t Grey565(int y) { return static_cast<std::uint16_t>((y >> 3) << 11 | (y >> 2) << 5 | (y >> 3)); }
int Red(std::uint16_t pixel) { return pixel >> 11; }
int Green(std::uint16_t pixel) { return (pixel >> 5) & 0x3F; }
int Blue(std::uint16_t pixel) { return pixel & 0x1F; }

// A picture over caller-owned planes with packed rows.
struct TestPicture {
  TestPicture(int width, int height, int shiftX, int shiftY)
      : luma(static_cast<std::size_t>(width * height)),
        cb(static_cast<std::size_t>((width >> shiftX) * (height >> shiftY)), 128),
        cr(cb.size(), 128) {
    picture.luma = {luma.data(), width, height, width};
    picture.cb = {cb.data(), width >> shiftX, height >> shiftY, width >> shiftX};
    picture.cr = {cr.data(), width >> shiftX, height >> shiftY, width >> shiftX};
  }
  std::vector<std::uint8_t> luma, cb, cr;
  YCbCrPicture picture;
};

TEST(ColourConversion, TableAndKnownPixels) {
  const ColourTable table;
  EXPECT_EQ(table.RedFromCr(128), 0);
  EXPECT_EQ(table.RedFromCr(255), 177);  // 127 x 1.4013 truncated
  EXPECT_EQ(table.BlueFromCb(0), -226);  // -128 x 1.7734 = -226.99, truncated toward zero
  EXPECT_EQ(table.GreenFromCr(0), 91);
  EXPECT_EQ(table.GreenFromCb(255), -43);

  TestPicture grey(2, 2, 1, 1);
  grey.luma = {0, 100, 200, 255};
  std::array<std::uint16_t, 4> out{};
  ASSERT_TRUE(ConvertStraight(grey.picture, table, out));
  EXPECT_EQ(out, (std::array<std::uint16_t, 4>{Grey565(0), Grey565(100), Grey565(200), Grey565(255)}));

  TestPicture red(2, 2, 1, 1);
  red.luma = {250, 250, 250, 250};
  red.cr = {255};
  ASSERT_TRUE(ConvertStraight(red.picture, table, out));
  EXPECT_EQ(Red(out[0]), 31);
  EXPECT_EQ(Green(out[0]), (250 - 90) >> 2);  // 250 + trunc(127 x -0.7136)
  EXPECT_EQ(Blue(out[0]), 250 >> 3);
}

TEST(ColourConversion, RotatedIsAQuarterTurnCounterClockwise) {
  const ColourTable table;
  TestPicture picture(4, 2, 1, 1);
  picture.luma = {0, 8, 16, 24, 32, 40, 48, 56};  // row 0, then row 1
  std::array<std::uint16_t, 8> out{};
  ASSERT_TRUE(ConvertRotated(picture.picture, table, out));
  // 2 columns x 4 rows: source (x, y) at row 3 - x, column y.
  const std::array<int, 8> expected = {24, 56, 16, 48, 8, 40, 0, 32};
  for (std::size_t i = 0; i < out.size(); ++i) EXPECT_EQ(out[i], Grey565(expected[i])) << i;
}

TEST(ColourConversion, EachChromaFormatUsesItsOwnPlaneGeometry) {
  const ColourTable table;
  // Red where Cr is high; every chroma sample of the 4 x 4 picture distinct
  // in 4:4:4, one per pair across in 4:2:2, one per 2 x 2 in 4:2:0.
  for (const auto& [shiftX, shiftY] : {std::pair{0, 0}, std::pair{1, 0}, std::pair{1, 1}}) {
    TestPicture picture(4, 4, shiftX, shiftY);
    std::fill(picture.luma.begin(), picture.luma.end(), 100);
    const int chromaWidth = 4 >> shiftX;
    for (std::size_t i = 0; i < picture.cr.size(); ++i) picture.cr[i] = static_cast<std::uint8_t>(i % 3 == 0 ? 255 : 0);
    std::array<std::uint16_t, 16> out{};
    ASSERT_TRUE(ConvertStraight(picture.picture, table, out));
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 4; ++x) {
        const int chroma = (y >> shiftY) * chromaWidth + (x >> shiftX);
        const bool red = chroma % 3 == 0;
        EXPECT_EQ(Red(out[static_cast<std::size_t>(y * 4 + x)]) > 20, red)
            << "shift " << shiftX << shiftY << " at " << x << "," << y;
      }
    }
  }
}

TEST(ColourConversion, RefusesWhatItCannotConvert) {
  const ColourTable table;
  TestPicture picture(4, 4, 1, 1);
  std::array<std::uint16_t, 15> small{};
  EXPECT_FALSE(ConvertStraight(picture.picture, table, small));
  std::array<std::uint16_t, 16> out{};
  picture.picture.cb.width = 1;  // narrower than any chroma format allows
  EXPECT_FALSE(ConvertRotated(picture.picture, table, out));
  EXPECT_FALSE(ConvertStraight(YCbCrPicture{}, table, out));
}

}  // namespace
}  // namespace kestrova::player
