#include "player/colour_conversion.h"

#include <cstddef>

namespace kestrova::player {
namespace {

// One pass covers the luma rows and columns that share a chroma sample: 2 x 2
// for 4:2:0, 2 x 1 for 4:2:2, 1 x 1 for 4:4:4. The chroma offsets are looked
// up once per pass. Output pixel (x, y) is at out[y x W + x] straight, and at
// out[(W - 1 - x) x H + y] rotated.
template <int ShiftX, int ShiftY, bool Rotated>
void Convert(const YCbCrPicture& picture, const ColourTable& table, std::uint16_t* out) {
  constexpr int kRows = 1 << ShiftY;
  constexpr int kColumns = 1 << ShiftX;
  const int width = picture.luma.width;
  const int height = picture.luma.height;
  const std::ptrdiff_t columnStep = Rotated ? -static_cast<std::ptrdiff_t>(height) : 1;
  const std::uint16_t* const redField = table.RedField();
  const std::uint16_t* const greenField = table.GreenField();
  const std::uint16_t* const blueField = table.BlueField();
  for (int chromaRow = 0; chromaRow < height >> ShiftY; ++chromaRow) {
    const std::uint8_t* cb = picture.cb.Row(chromaRow);
    const std::uint8_t* cr = picture.cr.Row(chromaRow);
    const std::uint8_t* luma[kRows];
    std::uint16_t* target[kRows];
    for (int sub = 0; sub < kRows; ++sub) {
      const int y = (chromaRow << ShiftY) + sub;
      luma[sub] = picture.luma.Row(y);
      target[sub] = Rotated ? out + static_cast<std::ptrdiff_t>(width - 1) * height + y
                            : out + static_cast<std::ptrdiff_t>(y) * width;
    }
    for (int chromaColumn = 0; chromaColumn < width >> ShiftX; ++chromaColumn) {
      const std::uint16_t* red = redField + table.RedFromCr(cr[chromaColumn]);
      const std::uint16_t* green = greenField + table.GreenFromCb(cb[chromaColumn]) + table.GreenFromCr(cr[chromaColumn]);
      const std::uint16_t* blue = blueField + table.BlueFromCb(cb[chromaColumn]);
      const int x0 = chromaColumn << ShiftX;
      for (int sub = 0; sub < kRows; ++sub) {
        for (int k = 0; k < kColumns; ++k) {
          const int x = x0 + k;
          const std::uint8_t y = luma[sub][x];
          target[sub][x * columnStep] = static_cast<std::uint16_t>(red[y] | green[y] | blue[y]);
        }
      }
    }
  }
}

// The common case, 4:2:0 straight: two luma rows and two output rows per
// pass, written in order.
void Convert420Straight(const YCbCrPicture& picture, const ColourTable& table, std::uint16_t* out) {
  const int width = picture.luma.width;
  const int height = picture.luma.height;
  const std::uint16_t* const redField = table.RedField();
  const std::uint16_t* const greenField = table.GreenField();
  const std::uint16_t* const blueField = table.BlueField();
  for (int chromaRow = 0; chromaRow < height / 2; ++chromaRow) {
    const std::uint8_t* cb = picture.cb.Row(chromaRow);
    const std::uint8_t* cr = picture.cr.Row(chromaRow);
    const std::uint8_t* top = picture.luma.Row(2 * chromaRow);
    const std::uint8_t* bottom = picture.luma.Row(2 * chromaRow + 1);
    std::uint16_t* outTop = out + static_cast<std::ptrdiff_t>(2 * chromaRow) * width;
    std::uint16_t* outBottom = outTop + width;
    for (int i = 0; i < width / 2; ++i) {
      const std::uint16_t* red = redField + table.RedFromCr(cr[i]);
      const std::uint16_t* green = greenField + table.GreenFromCb(cb[i]) + table.GreenFromCr(cr[i]);
      const std::uint16_t* blue = blueField + table.BlueFromCb(cb[i]);
      auto pixel = [&](std::uint8_t y) { return static_cast<std::uint16_t>(red[y] | green[y] | blue[y]); };
      outTop[2 * i] = pixel(top[2 * i]);
      outTop[2 * i + 1] = pixel(top[2 * i + 1]);
      outBottom[2 * i] = pixel(bottom[2 * i]);
      outBottom[2 * i + 1] = pixel(bottom[2 * i + 1]);
    }
  }
}

template <bool Rotated>
bool Dispatch(const YCbCrPicture& picture, const ColourTable& table, std::span<std::uint16_t> out) {
  if (picture.Empty() || picture.cb.data == nullptr || picture.cr.data == nullptr) return false;
  const int width = picture.luma.width;
  const int height = picture.luma.height;
  if (width % 2 != 0 || height % 2 != 0) return false;
  if (out.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) return false;
  const int shiftX = picture.ChromaShiftX();
  const int shiftY = picture.ChromaShiftY();
  for (const PicturePlane* chroma : {&picture.cb, &picture.cr}) {
    if (chroma->width < width >> shiftX || chroma->height < height >> shiftY) return false;
  }
  if (shiftX == 1 && shiftY == 1) {
    if constexpr (Rotated) {
      Convert<1, 1, true>(picture, table, out.data());
    } else {
      Convert420Straight(picture, table, out.data());
    }
  } else if (shiftX == 1) {
    Convert<1, 0, Rotated>(picture, table, out.data());
  } else if (shiftY == 1) {
    Convert<0, 1, Rotated>(picture, table, out.data());
  } else {
    Convert<0, 0, Rotated>(picture, table, out.data());
  }
  return true;
}

}  // namespace

bool ConvertStraight(const YCbCrPicture& picture, const ColourTable& table, std::span<std::uint16_t> out) {
  return Dispatch<false>(picture, table, out);
}

bool ConvertRotated(const YCbCrPicture& picture, const ColourTable& table, std::span<std::uint16_t> out) {
  return Dispatch<true>(picture, table, out);
}

}  // namespace kestrova::player
