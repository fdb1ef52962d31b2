// Skin images: loading from the built archive, composition over the key
// colour, and a painter whose images are missing.
#include "ui/skin_image.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "platform/image.h"
#include "platform/image_size.h"
#include "platform/text.h"
#include "resources/skin_archive.h"
#include "support/sample_screens.h"
#include "support/ui_harness.h"
#include "ui/bars.h"
#include "ui/painter.h"
#include "ui/popup.h"
#include "ui/rows.h"
#include "ui/skin_image_table.h"
#include "ui_test_support.h"

namespace kestrova::test {
namespace {

using platform::Rgb;
using platform::ToRgb565;

platform::ArgbImage Argb(std::initializer_list<std::uint32_t> pixels) {
  platform::ArgbImage image(static_cast<int>(pixels.size()), 1);
  std::uint32_t* p = image.Row(0);
  for (const auto v : pixels) *p++ = v;
  return image;
}

TEST(SkinImages, AllFiftyFourLoadFromTheBuiltArchiveWithTheirSizes) {
  UiHarness ui(kBinDir);
  ASSERT_TRUE(ui.Started());
  ui::Painter& painter = ui.GetPainter();
  for (int id = 0; id < ui::kSkinImageCount; ++id) {
    const auto& image = painter.Image(id);
    EXPECT_TRUE(image.Loaded()) << id;
    EXPECT_EQ(image.id, id);
    EXPECT_EQ(image.path, ui::kSkinImageTable[static_cast<std::size_t>(id)].path);
  }
  EXPECT_EQ(painter.Image(ui::kImageTopLine).width, 240);
  EXPECT_EQ(painter.Image(ui::kImageTopLine).height, 32);
  EXPECT_EQ(painter.Image(ui::kImageWaiterFirst + 11).width, 40);
  EXPECT_FALSE(painter.Image(ui::kImageOverlayer).image.Empty());   // blended on every draw
  EXPECT_TRUE(painter.Image(ui::kImageTopLine).image.Empty());    // only the bitmap is kept
  EXPECT_FALSE(painter.Image(-1).Loaded());
  EXPECT_FALSE(painter.Image(54).Loaded());
  EXPECT_EQ(ui::SkinFileName(L"mainpics\\bg_top_line.png"), L"bg_top_line.png");
  EXPECT_EQ(ui::SkinFileName(L"plain.png"), L"plain.png");
}

TEST(SkinImages, ColourKeyedImagesTurnMostlyTransparentPixelsIntoTheKeyAndKeepOthersWhole) {
  const std::uint16_t key = ToRgb565(ui::kKeyColour);
  const auto keyed = ui::ComposeOverKey(
      Argb({0x00FF0000U, 0x7FFF0000U, 0x80FF0000U, 0xFF7D7D7DU, 0xFF7F7E7FU}), true);
  ASSERT_FALSE(keyed.Empty());
  EXPECT_EQ(keyed.Pixel(0, 0), key);                       // transparent
  EXPECT_EQ(keyed.Pixel(1, 0), key);                       // mostly transparent edge: no grey fringe
  EXPECT_EQ(keyed.Pixel(2, 0), ToRgb565(Rgb(255, 0, 0)));  // mostly opaque: its own colour
  EXPECT_NE(keyed.Pixel(3, 0), key);  // an opaque pixel of the key colour does not become a hole
  EXPECT_NE(keyed.Pixel(4, 0), key);  // nor one that only rounds to it
  // Opaque images are composed over the key colour as they are.
  const auto opaque = ui::ComposeOverKey(Argb({0x00FF0000U, 0xFF00FF00U}), false);
  EXPECT_EQ(opaque.Pixel(0, 0), key);
  EXPECT_EQ(opaque.Pixel(1, 0), ToRgb565(Rgb(0, 255, 0)));
}

TEST(SkinImages, BytesThatAreNoImageLeaveTheImageEmpty) {
  const std::uint8_t garbage[] = {0x89, 'P', 'N', 'G', 1, 2, 3};
  const auto image = ui::LoadSkinImage(5, garbage, sizeof garbage);
  EXPECT_FALSE(image.Loaded());
  EXPECT_EQ(image.id, -1);
  EXPECT_EQ(image.width, 0);
  EXPECT_FALSE(ui::LoadSkinImage(5, nullptr, 0).Loaded());
  EXPECT_FALSE(ui::LoadSkinImage(99, garbage, sizeof garbage).Loaded());
}

// A few bytes can declare a picture of gigabytes, and a PNG cut short kept
// its decoder reading the same bytes for ever: such files are refused from
// their header and chunk frames, before any pixel memory is set aside.
TEST(SkinImages, PicturesDeclaringAHugeSizeOrCutShortAreRefusedBeforeDecoding) {
  resources::SkinArchive archive;
  ASSERT_TRUE(archive.Load(kBinDir / "data.dat"));
  const std::uint8_t* png = nullptr;
  const std::size_t length = archive.Find(L"bg_top_line.png", &png);
  ASSERT_GT(length, 24U);
  EXPECT_EQ(platform::DecodeImage(png, length).Width(), 240);

  std::vector<std::uint8_t> bomb(png, png + length);
  const std::uint8_t huge[] = {0x00, 0x00, 0x3E, 0x80};  // 16000
  std::copy(std::begin(huge), std::end(huge), bomb.begin() + 16);  // IHDR width
  std::copy(std::begin(huge), std::end(huge), bomb.begin() + 20);  // IHDR height
  const std::vector<std::uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 0x00, 0x00, 0xFF, 0xC0, 0x00, 0x11,
                                          0x08, 0x3E, 0x80, 0x3E, 0x80, 0x03, 0x01, 0x22, 0x00, 0x02, 0x11, 0x01};
  // A 4x3 palette picture whose tRNS chunk claims 3,072 bytes of 107.
  const std::vector<std::uint8_t> past_end = {
      0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
      0x00, 0x04, 0x00, 0x00, 0x00, 0x03, 0x08, 0x03, 0x00, 0x00, 0x00, 0x83, 0x2a, 0x5e, 0xf4, 0x00, 0x00, 0x00,
      0x09, 0x50, 0x4c, 0x54, 0x45, 0xff, 0x00, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00, 0xff, 0x2d, 0x4a, 0xcd, 0x8a,
      0x00, 0x00, 0x0c, 0x00, 0x74, 0x52, 0x4e, 0x53, 0x00, 0x80, 0x9b, 0x2b, 0x4e, 0x18, 0x00, 0x00, 0x00, 0x0f,
      0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0x60, 0x60, 0x64, 0x62, 0x64, 0x80, 0x13, 0x00, 0x77, 0xaf, 0xb1,
      0x00, 0x00, 0xf5, 0x2e, 0xe5, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
  const std::vector<std::uint8_t> cut(png, png + length - 12);  // without IEND
  // A JPEG header with "<svg" a few bytes on: only the JPEG decoder may see it.
  const std::vector<std::uint8_t> svg_inside = {
      0xff, 0xd8, 0xff, 0xcd, 0x04, 0x04, 0x03, 0x05, 0x04, 0x04, 0x04, 0xfb, 0xfa, 0xfa, 0xf9, 0xf8, 0xf3, 0xf7,
      0x3c, 0x73, 0x76, 0x67, 0x0f, 0x0b, 0x0b, 0x09, 0x0e, 0x08, 0x08, 0x0e, 0x1e, 0x14, 0x11, 0x14, 0x1e, 0x1e,
      0x1e, 0x1e, 0x1e, 0x1e, 0x1e, 0x1e, 0x1e, 0x1e, 0x1e, 0x1e, 0x1e, 0x1e, 0x1e, 0x1e, 0x1e, 0x1e, 0x1e, 0x1e,
      0x1e, 0x1e, 0x1e, 0x1e, 0x22, 0x1e, 0x24, 0x1c, 0x1e, 0x1f, 0x1e, 0xff, 0xdb, 0x00, 0x43, 0x01, 0x05, 0x05,
      0x05, 0x07, 0x06, 0x07, 0x0e, 0x08, 0x08, 0x0e, 0x1e, 0x14, 0x92, 0x14, 0x1e, 0x1e, 0x1e, 0x1e, 0x1e, 0x1e,
      0x1e, 0x1e, 0x1e, 0x1e, 0x1e, 0x1e, 0x1e, 0xb6, 0x1e, 0x1e, 0x1e, 0x1e, 0x59, 0x67};
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(platform::DecodeImage(bomb.data(), bomb.size()).Empty());
  EXPECT_TRUE(platform::DecodeImage(jpeg.data(), jpeg.size()).Empty());
  EXPECT_TRUE(platform::DecodeImage(past_end.data(), past_end.size()).Empty());
  EXPECT_TRUE(platform::DecodeImage(cut.data(), cut.size()).Empty());
  EXPECT_TRUE(platform::DecodeImage(svg_inside.data(), svg_inside.size()).Empty());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
  const auto declared = platform::DeclaredImageSize(jpeg.data(), jpeg.size());
  ASSERT_TRUE(declared);
  EXPECT_EQ(declared->width, 16000);
  // Only PNG and JPEG are decoded at all.
  const std::uint8_t bmp[] = {'B', 'M', 0, 0, 0, 0};
  EXPECT_TRUE(platform::DecodeImage(bmp, sizeof bmp).Empty());
}

TEST(SkinImages, WithoutAnyImageEveryDrawingOperationStillWorks) {
  UiHarness ui(kBinDir);
  ASSERT_TRUE(ui.Started());
  ui::Painter& painter = ui.GetPainter();
  painter.LoadImages(resources::SkinArchive{});  // nothing could be decoded
  platform::Bitmap target(240, 320);
  platform::Canvas canvas(target);
  canvas.Fill(target.Bounds(), Rgb(0, 0, 0));
  for (int id = -1; id <= ui::kSkinImageCount; ++id) ui::DrawImage(painter, canvas, id, 0, 0);
  for (int y = 0; y < 320; ++y) {
    for (int x = 0; x < 240; ++x) ASSERT_EQ(target.Pixel(x, y), 0) << x << "," << y;
  }
  ui::DrawHeader(painter, canvas, 19, L"Title", L"12:00");
  ui::DrawSoftKeyBar(painter, canvas, 105, 10000, 2);
  ui::DrawListRow(painter, canvas, 0, L"Row", true, 6, {19, L"", L"", 20, L"right"});
  ui::DrawButtonRow(painter, canvas, 1, L"Button", true, 7);
  ui::DrawTextBlockRow(painter, canvas, 2, L"A block of text", 2, 8);

  // A whole list screen with a pop-up, through the view.
  ui.Install<SampleListScreen>(9, NumberedItems(12));
  ui.Show(9);
  ui.Screens().Current()->ShowPopup(true, L"Title", L"Text", 20, 22);
  ui.Paint();
  ui.SetBusy(true);
  ui.FireTimer(1, 3);
  ui.SetBusy(false);
  EXPECT_GT(ui.PaintCount(), 3);
}

}  // namespace
}  // namespace kestrova::test
