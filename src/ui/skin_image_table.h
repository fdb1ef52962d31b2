// The 54 skin images by their fixed image id: the path (its file-name part is
// the entry name in data.dat) and how each is drawn.
#pragma once

#include <array>
#include <string_view>

#include "platform/colour.h"

namespace kestrova::ui {

constexpr int kSkinImageCount = 54;

// Colour-keyed images are composed over this colour at load and copied with
// it as the transparent colour.
constexpr platform::Colour kKeyColour = platform::Rgb(125, 125, 125);

struct SkinImageEntry {
  std::wstring_view path;
  bool alphaDraw;    // blended by its alpha channel on every draw
  bool colourKeyed;  // copied with kKeyColour transparent
};

// Image ids the drawing code uses by name.
constexpr int kImageFormSelButton = 0;
constexpr int kImageFormSelInput = 1;
constexpr int kImageFormUnselButton = 2;
constexpr int kImageFormUnselInput = 3;
constexpr int kImageBottomLine = 27;
constexpr int kImageOverlayer = 28;
constexpr int kImageSelector = 29;
constexpr int kImageTopLine = 31;
constexpr int kImagePopupBottomLine = 38;
constexpr int kImagePopupMainLine = 39;
constexpr int kImagePopupTopLine = 40;
constexpr int kImageWaiterFirst = 41;  // frames 41 to 52
constexpr int kWaiterFrameCount = 12;
constexpr int kImageKeyboard = 53;

// The process-wide skin image table (constant).
extern const std::array<SkinImageEntry, kSkinImageCount> kSkinImageTable;

// The text after the last backslash of a table path: the archive entry name.
std::wstring_view SkinFileName(std::wstring_view path);

}  // namespace kestrova::ui
