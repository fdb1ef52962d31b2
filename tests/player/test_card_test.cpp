// The whole picture path: a test card segment decoded, converted and scaled
// in each orientation and mode, with its colour bars where they belong.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

#include "player/colour_conversion.h"
#include "player/picture_renderer.h"
#include "segment_encoder/test_card_geometry.h"
#include "player/pcm_block.h"
#include "segment_files.h"

namespace kestrova::player::test {
namespace {

using encoder::BarLeft;
using encoder::BarsBottom;
using encoder::kBarColours;
constexpr int kBars = static_cast<int>(kBarColours.size());
constexpr std::size_t kBlock22050At15 = 5880;
constexpr int kGreyTolerance = 24;

// Reads a segment's first picture and checks its bars straight at full size.
void CheckBarsOfFirstPicture(const std::string& segment, int width, int height, int chromaWidth, int chromaHeight) {
  SCOPED_TRACE(segment);
  ScratchFolder folder;
  ReaderRig rig;
  rig.Queue(folder.Copy(segment));
  ASSERT_TRUE(rig.reader.OpenSegment());
  std::vector<std::uint8_t> block(kBlock22050At15);
  ASSERT_TRUE(rig.reader.ReadBlock(block));
  const auto picture = rig.Fetch();
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->luma.width, width);
  EXPECT_EQ(picture->luma.height, height);
  EXPECT_EQ(picture->cb.width, chromaWidth);
  EXPECT_EQ(picture->cb.height, chromaHeight);
  std::vector<std::uint16_t> out(static_cast<std::size_t>(width * height));
  ASSERT_TRUE(ConvertStraight(*picture, ColourTable{}, out));
  const int row = BarsBottom(height) / 2;
  for (int bar = 0; bar < kBars; ++bar) {
    const int column = (BarLeft(bar, width) + BarLeft(bar + 1, width)) / 2;
    EXPECT_TRUE(IsBar(out[static_cast<std::size_t>(row * width + column)], bar));
  }
  // Below the bars the card is grey: chroma read from the wrong rows would
  // bring a bar's colour down here.
  const std::uint16_t below = out[static_cast<std::size_t>((height - 1) * width + BarLeft(2, width) + 4)];
  const int r = (below >> 11) << 3;
  const int g = ((below >> 5) & 0x3F) << 2;
  const int b = (below & 0x1F) << 3;
  EXPECT_LE(std::max({std::abs(r - g), std::abs(g - b), std::abs(r - b)}), kGreyTolerance) << r << "," << g << "," << b;
}

TEST(TestCardPicture, ChromaFormatsAndPictureRegionsDecodeToTheirBars) {
  CheckBarsOfFirstPicture("qcif15", 176, 144, 88, 72);
  CheckBarsOfFirstPicture("chroma422", 176, 144, 88, 144);
  CheckBarsOfFirstPicture("chroma444", 176, 144, 176, 144);
  // Coded as 176 x 112; only the picture region is shown.
  CheckBarsOfFirstPicture("odd_size", 170, 100, 85, 50);
}

TEST(TestCardPicture, BarsLandInEveryOrientationAndMode) {
  ScratchFolder folder;
  ReaderRig rig;
  rig.Queue(folder.Copy("qvga25"));
  ASSERT_TRUE(rig.reader.OpenSegment());
  std::vector<std::uint8_t> block(PcmBlockSize(2, 44100, 25, 1));
  ASSERT_TRUE(rig.reader.ReadBlock(block));
  const std::lock_guard guard(rig.video.Lock());
  const auto picture = rig.video.FetchPicture();
  ASSERT_TRUE(picture);

  // Where the centre of bar k, a few rows below the top of the 320 x 240
  // card, lands in the rectangle (row, column).
  struct Case {
    int orientation;
    bool fullScreen;
    std::function<std::pair<int, int>(int)> barAt;
    int blackRow;  // a row of the rectangle below the picture, or -1
  };
  const std::vector<Case> cases = {
      // Straight, 320 -> 240 across: bars 30 wide; the picture is 180 rows of 196.
      {platform::kDisplayOrientation0, false, [](int k) { return std::pair{10, 30 * k + 15}; }, 190},
      // Turned counter-clockwise at 1:1: the card's left edge at the bottom.
      {platform::kDisplayOrientation180, true, [](int k) { return std::pair{319 - (40 * k + 20), 10}; }, -1},
      {platform::kDisplayOrientation270, true, [](int k) { return std::pair{319 - (40 * k + 20), 10}; }, -1},
      // Turned at 1/2: bars 20 rows high; rows 160 to 219 below the picture.
      {platform::kDisplayOrientation90, false, [](int k) { return std::pair{(319 - (40 * k + 20)) / 2, 5}; }, 200},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "orientation " << c.orientation << " full " << c.fullScreen);
    PictureRenderer renderer;
    renderer.SetFullScreen(c.fullScreen);
    const VideoLayout& layout = renderer.Prepare(c.orientation, picture->luma.width, picture->luma.height);
    std::vector<std::uint16_t> rect(static_cast<std::size_t>(layout.extentColumns * layout.extentRows), 0xFFFF);
    ASSERT_TRUE(renderer.Render(*picture, rect.data(), layout.extentColumns));
    for (int k = 0; k < kBars; ++k) {
      const auto [row, column] = c.barAt(k);
      EXPECT_TRUE(IsBar(rect[static_cast<std::size_t>(row * layout.extentColumns + column)], k));
    }
    if (c.blackRow >= 0) {
      EXPECT_EQ(rect[static_cast<std::size_t>(c.blackRow * layout.extentColumns)], 0);
    }
  }
}

}  // namespace
}  // namespace kestrova::player::test
