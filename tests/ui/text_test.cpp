// Fonts and text drawing with the handset's format flags.
#include "platform/text.h"

#include <gtest/gtest.h>

#include <memory>

#include "ui_test_support.h"

namespace kestrova::platform {
namespace {

class TextTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const auto file = MatchFontFile("Arial:bold");
    ASSERT_TRUE(file.has_value());
    font_ = Font::Open(*file, 15);
    ASSERT_NE(font_, nullptr);
  }
  static void TearDownTestSuite() { font_.reset(); }

  // The bounding box of the pixels that are not the background.
  static Rect Ink(const Bitmap& b) {
    Rect ink{b.Width(), b.Height(), -1, -1};
    for (int y = 0; y < b.Height(); ++y) {
      for (int x = 0; x < b.Width(); ++x) {
        if (b.Pixel(x, y) == 0) continue;
        ink.left = std::min(ink.left, x);
        ink.top = std::min(ink.top, y);
        ink.right = std::max(ink.right, x + 1);
        ink.bottom = std::max(ink.bottom, y + 1);
      }
    }
    return ink;
  }
  static int Lines(std::wstring_view text, int width, unsigned flags = DT_WORDBREAK) {
    Rect r{0, 0, width, 0};
    return MeasureText(*font_, text, r, flags) / font_->LineHeight();
  }

  inline static std::unique_ptr<Font> font_;
};

TEST(Fonts, TheFourFontsHaveTheRequestedLineHeights) {
  const auto file = MatchFontFile("Arial:bold");
  ASSERT_TRUE(file.has_value());
  EXPECT_NE(file->string().find("LiberationSans-Bold"), std::string::npos) << *file;
  for (const int height : {17, 15, 21, 11}) {
    auto font = Font::Open(*file, height);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->LineHeight(), height);
  }
  EXPECT_EQ(Font::Open("/nonexistent/font.ttf", 15), nullptr);
}

TEST_F(TextTest, SingleLineAlignmentFollowsTheFlags) {
  const int width = font_->Width(L"Hi");
  Rect measured{10, 10, 200, 10};
  EXPECT_EQ(MeasureText(*font_, L"Hi", measured, DT_SINGLELINE), 15);
  EXPECT_EQ(measured, (Rect{10, 10, 10 + width, 25}));

  struct Case {
    unsigned flags;
    int left;  // expected pen start
    int top;
  } cases[] = {
      {DT_SINGLELINE, 0, 0},
      {DT_SINGLELINE | DT_CENTER, (100 - width) / 2, 0},
      {DT_SINGLELINE | DT_RIGHT, 100 - width, 0},
      {DT_SINGLELINE | DT_VCENTER, 0, (40 - 15) / 2},
      {DT_SINGLELINE | DT_BOTTOM, 0, 40 - 15},
      {DT_VCENTER, 0, 0},  // only single lines are centred vertically
  };
  Bitmap reference(100, 40);
  Canvas(reference).Fill(reference.Bounds(), Rgb(0, 0, 0));
  Rect area{0, 0, 100, 40};
  Canvas refCanvas(reference);
  DrawText(refCanvas, *font_, Rgb(255, 255, 255), L"Hi", area, DT_SINGLELINE);
  const Rect base = Ink(reference);
  for (const auto& c : cases) {
    Bitmap b(100, 40);
    Canvas canvas(b);
    canvas.Fill(b.Bounds(), Rgb(0, 0, 0));
    Rect r{0, 0, 100, 40};
    DrawText(canvas, *font_, Rgb(255, 255, 255), L"Hi", r, c.flags);
    const Rect ink = Ink(b);
    EXPECT_EQ(ink.left - base.left, c.left) << c.flags;
    EXPECT_EQ(ink.top - base.top, c.top) << c.flags;
  }
}

TEST_F(TextTest, WordBreakSplitsAtBlanksTabsAndLineFeeds) {
  const int word = font_->Width(L"word");
  EXPECT_EQ(Lines(L"word word word", 1000), 1);
  EXPECT_EQ(Lines(L"word word word", word + 2), 3);
  EXPECT_EQ(Lines(L"word\tword", word + 2), 2);
  EXPECT_EQ(Lines(L"word\nword", 1000), 2);
  EXPECT_EQ(Lines(L"word\r\nword", 1000), 2);
  EXPECT_EQ(Lines(L"word\n", 1000), 1);       // a final line feed adds no line
  EXPECT_EQ(Lines(L"word\n\nword", 1000), 3);  // an empty line between
  EXPECT_EQ(Lines(L"", 1000), 0);
  // A word wider than the line stays whole on its own line.
  EXPECT_EQ(Lines(L"a incomprehensibilities b", font_->Width(L"a b")), 3);
  Rect r{0, 0, 10, 0};
  MeasureText(*font_, L"incomprehensibilities", r, DT_WORDBREAK);
  EXPECT_EQ(r.Width(), font_->Width(L"incomprehensibilities"));
  // Without word break only line feeds end lines; single line ignores them.
  EXPECT_EQ(Lines(L"word word\nword", word + 2, 0), 2);
  EXPECT_EQ(Lines(L"word\nword", 10, DT_SINGLELINE), 1);
}

TEST_F(TextTest, DrawingIsClippedToTheRectangleAndCentredLinesAreCentredEach) {
  Bitmap b(200, 60);
  Canvas canvas(b);
  canvas.Fill(b.Bounds(), Rgb(0, 0, 0));
  Rect r{20, 5, 60, 40};
  DrawText(canvas, *font_, Rgb(255, 255, 255), L"A rather long line of text", r, DT_SINGLELINE);
  const Rect ink = Ink(b);
  EXPECT_GE(ink.left, 20);
  EXPECT_LE(ink.right, 60);
  EXPECT_LE(ink.bottom, 40);

  Bitmap c(200, 60);
  Canvas second(c);
  second.Fill(c.Bounds(), Rgb(0, 0, 0));
  Rect area{0, 0, 200, 60};
  DrawText(second, *font_, Rgb(255, 255, 255), L"mmmmmmmm\nii", area, DT_WORDBREAK | DT_CENTER);
  // The short second line sits in the middle, not at the left.
  Rect secondLine{0, 0, 0, 0};
  for (int x = 0; x < 200 && secondLine.left == 0; ++x) {
    for (int y = 15; y < 30; ++y) {
      if (c.Pixel(x, y) != 0) {
        secondLine.left = x;
        break;
      }
    }
  }
  EXPECT_GT(secondLine.left, 90);
  EXPECT_LT(secondLine.left, 110);
}

}  // namespace
}  // namespace kestrova::platform
