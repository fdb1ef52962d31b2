// Pictures kept small: decoded logos and previews reduced to their thumbnail
// at once, by area averaging that keeps transparent edges clean, and JPEG
// files that would cost the decoder too much refused before decoding.
#include <gtest/gtest.h>

#include <vector>

#include "platform/image.h"
#include "platform/image_scale.h"
#include "platform/image_size.h"
#include "support/picture_files.h"

namespace kestrova::test {
namespace {

constexpr std::uint32_t kRed = 0xFFFF0000U;
constexpr std::uint32_t kAlphaMask = 0xFF000000U;

TEST(Thumbnails, AreaAveragingKeepsProportionsAndCleanTransparentEdges) {
  // Exact weights: three pixels into two, each output taking two thirds of
  // its own pixel and a third of the middle one.
  platform::ArgbImage strip(3, 1);
  strip.Row(0)[0] = 0xFF000000U;
  strip.Row(0)[1] = 0xFF5A0000U;  // red 90
  strip.Row(0)[2] = 0xFFB40000U;  // red 180
  const platform::ArgbImage two = platform::ShrinkToFit(strip, 2, 1);
  ASSERT_EQ(two.Width(), 2);
  EXPECT_EQ(two.PixelAt(0, 0), 0xFF1E0000U);  // 30
  EXPECT_EQ(two.PixelAt(1, 0), 0xFF960000U);  // 150

  // A 2048 x 1024 logo, a red disc on transparent black, fits 96 x 64 as
  // 96 x 48. The edge fades in opacity only: every visible pixel is the
  // disc's own red, none darkened by the transparent black around it.
  const std::vector<std::uint8_t> png = EncodePng(DiscPicture(2048, 1024, kRed));
  ASSERT_FALSE(png.empty());
  const platform::ArgbImage logo = platform::DecodeThumbnail(png.data(), png.size(), 96, 64);
  ASSERT_EQ(logo.Width(), 96);
  ASSERT_EQ(logo.Height(), 48);
  int partial = 0;
  for (int y = 0; y < logo.Height(); ++y) {
    for (int x = 0; x < logo.Width(); ++x) {
      const std::uint32_t pixel = logo.PixelAt(x, y);
      const std::uint32_t alpha = pixel >> 24U;
      if (alpha != 0) {
        EXPECT_EQ(pixel & ~kAlphaMask, kRed & ~kAlphaMask) << x << "," << y;
      }
      if (alpha != 0 && alpha != 0xFF) ++partial;
    }
  }
  EXPECT_GT(partial, 20);  // a smooth edge, not a jagged one
  EXPECT_EQ(logo.PixelAt(48, 24), kRed);
  EXPECT_EQ(logo.PixelAt(0, 0), 0U);

  // A picture that already fits is kept as it is; an opaque JPEG stays
  // opaque when reduced.
  const platform::ArgbImage small = platform::DecodeThumbnail(png.data(), png.size(), 4096, 4096);
  EXPECT_EQ(small.Width(), 2048);
  const std::vector<std::uint8_t> jpeg = EncodeJpeg(DiscPicture(640, 480, kRed));
  const platform::ArgbImage preview = platform::DecodeThumbnail(jpeg.data(), jpeg.size(), 320, 320);
  ASSERT_EQ(preview.Width(), 320);
  EXPECT_EQ(preview.Height(), 240);
  EXPECT_EQ(preview.PixelAt(0, 0) & kAlphaMask, kAlphaMask);
  EXPECT_TRUE(platform::DecodeThumbnail(jpeg.data(), jpeg.size(), 0, 10).Empty());
}

// A JPEG of many small scans makes the decoder pass over the whole picture
// once per scan: more than a few dozen are refused from the markers alone.
TEST(Thumbnails, JpegWithTooManyScansIsRefusedBeforeDecoding) {
  const std::vector<std::uint8_t> jpeg = EncodeJpeg(DiscPicture(64, 64, kRed));
  ASSERT_EQ(platform::JpegScanCount(jpeg.data(), jpeg.size()), 1);
  EXPECT_FALSE(platform::DecodeImage(jpeg.data(), jpeg.size()).Empty());

  // Extra scans (a start-of-scan segment and a little coded data with a
  // stuffed byte and a restart marker each) put before the real one.
  std::size_t scan = 2;
  while (scan + 1 < jpeg.size() && !(jpeg[scan] == 0xFF && jpeg[scan + 1] == 0xDA)) ++scan;
  ASSERT_LT(scan + 1, jpeg.size());
  const std::vector<std::uint8_t> extra = {0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00,
                                           0x12, 0xFF, 0x00, 0x34, 0xFF, 0xD0, 0x56};
  std::vector<std::uint8_t> many(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(scan));
  for (int i = 0; i < platform::kMaxJpegScans; ++i) many.insert(many.end(), extra.begin(), extra.end());
  many.insert(many.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(scan), jpeg.end());
  EXPECT_EQ(platform::JpegScanCount(many.data(), many.size()), platform::kMaxJpegScans + 1);
  EXPECT_TRUE(platform::DecodeImage(many.data(), many.size()).Empty());
  EXPECT_TRUE(platform::DecodeThumbnail(many.data(), many.size(), 96, 64).Empty());
  EXPECT_EQ(platform::JpegScanCount(many.data(), scan + 5), 0);  // cut in the first extra scan's header
}

}  // namespace
}  // namespace kestrova::test
