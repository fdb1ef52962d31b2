#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "player/scaler.h"
#include "player/video_layout.h"

namespace kestrova::player {
namespace {

constexpr std::uint16_t kBlack = 0;

// Scales a source whose pixel value is 1 + its index, so that each destination
// pixel tells which source pixel it sampled (0: black).
std::vector<std::uint16_t> ScaleNumbered(const VideoLayout& layout) {
  std::vector<std::uint16_t> source(static_cast<std::size_t>(layout.sourceColumns * layout.sourceRows));
  std::iota(source.begin(), source.end(), std::uint16_t{1});
  std::vector<std::uint16_t> out(static_cast<std::size_t>(layout.extentColumns * layout.extentRows), 0xFFFF);
  Scale({source, layout.sourceColumns, layout.sourceRows}, {out.data(), layout.extentColumns, layout.extentColumns, layout.extentRows},
        layout.scaleStep);
  return out;
}

TEST(VideoLayout, QcifPortraitWindowedFillsTheRectangleInsideThePicture) {
  const VideoLayout layout = MakeLayout(platform::kDisplayOrientation0, false, 176, 144);
  EXPECT_EQ(layout.destination, (platform::Rect{0, 34, 240, 230}));
  EXPECT_EQ(layout.scaleStep, 48148);
  EXPECT_FALSE(layout.rotated);
  ASSERT_EQ(layout.extentColumns, 240);
  ASSERT_EQ(layout.extentRows, 196);
  const auto out = ScaleNumbered(layout);
  for (const auto pixel : out) ASSERT_NE(pixel, kBlack);
  // The last column samples source column 175, the last row source row 143.
  EXPECT_EQ(out[239], 175 + 1);
  EXPECT_EQ(out[195 * 240], 143 * 176 + 1);
}

TEST(VideoLayout, QcifPortraitFullScreenIsTurnedAndBlackBelow) {
  const VideoLayout layout = MakeLayout(platform::kDisplayOrientation180, true, 176, 144);
  EXPECT_EQ(layout.destination, (platform::Rect{0, 0, 240, 320}));
  EXPECT_TRUE(layout.rotated);
  EXPECT_EQ(layout.sourceColumns, 144);
  EXPECT_EQ(layout.sourceRows, 176);
  EXPECT_EQ(layout.scaleStep, 39321);
  const auto out = ScaleNumbered(layout);
  for (int row = 0; row < 320; ++row) {
    const bool black = out[static_cast<std::size_t>(row * 240)] == kBlack;
    EXPECT_EQ(black, row >= 294) << row;
  }
  EXPECT_NE(out[293 * 240 + 239], kBlack);
}

TEST(VideoLayout, LandscapeRectanglesAndExtents) {
  const VideoLayout windowed = MakeLayout(platform::kDisplayOrientation90, false, 320, 240);
  EXPECT_EQ(windowed.screenWidth, 320);
  EXPECT_EQ(windowed.destination, (platform::Rect{50, 30, 270, 150}));
  // Turned like full screen (the display memory runs along the logical
  // columns), fitted into 220 x 120 at half size.
  EXPECT_TRUE(windowed.rotated);
  EXPECT_EQ(windowed.extentColumns, 120);
  EXPECT_EQ(windowed.extentRows, 220);
  EXPECT_EQ(windowed.scaleStep, 240 * 65536 / 120);

  const VideoLayout full = MakeLayout(platform::kDisplayOrientation270, true, 160, 120);
  EXPECT_EQ(full.destination, (platform::Rect{0, 0, 320, 240}));
  EXPECT_TRUE(full.rotated);
  EXPECT_EQ(full.extentColumns, 240);
  EXPECT_EQ(full.extentRows, 320);
  EXPECT_EQ(full.scaleStep, 32768);
  const auto out = ScaleNumbered(full);
  for (const auto pixel : out) ASSERT_NE(pixel, kBlack);

  // Any orientation the platform may report other than a quarter turn is portrait.
  EXPECT_EQ(MakeLayout(3, false, 320, 240).screenWidth, 240);
}

TEST(VideoLayout, SurfaceRowsFollowThePitches) {
  const VideoLayout portrait = MakeLayout(platform::kDisplayOrientation0, false, 320, 240);
  const SurfaceRows down = SurfaceRowsFor(portrait, 480, 2);
  EXPECT_EQ(down.startOffset, 0);
  EXPECT_EQ(down.rowStep, 240);
  const VideoLayout landscape = MakeLayout(platform::kDisplayOrientation90, true, 320, 240);
  const SurfaceRows turned = SurfaceRowsFor(landscape, 2, -640);
  EXPECT_EQ(turned.rowStep, 320);
  EXPECT_EQ(turned.startOffset, 319 * -320);
}

TEST(Scaler, DegenerateSourcesDrawBlack) {
  std::vector<std::uint16_t> out(12, 0xFFFF);
  Scale({{}, 0, 0}, {out.data(), 4, 4, 3}, 65536);
  for (const auto pixel : out) EXPECT_EQ(pixel, kBlack);
  const std::vector<std::uint16_t> tooShort(3, 7);
  Scale({tooShort, 2, 2}, {out.data(), 4, 4, 3}, 65536);
  for (const auto pixel : out) EXPECT_EQ(pixel, kBlack);
}

}  // namespace
}  // namespace kestrova::player
