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

// The image ids the program draws, by name: the one place where an image id
// is a number (the index of its entry in kSkinImageTable).
constexpr int kImageFormSelButton = 0;
constexpr int kImageFormSelInput = 1;
constexpr int kImageFormUnselButton = 2;
constexpr int kImageFormUnselInput = 3;
// The main menu's tiles, selected and unselected.
constexpr int kImageGridSelChannels = 4;
constexpr int kImageGridSelVideos = 5;
constexpr int kImageGridSelSettings = 6;
constexpr int kImageGridSelMessages = 7;
constexpr int kImageGridUnselChannels = 8;
constexpr int kImageGridUnselVideos = 9;
constexpr int kImageGridUnselSettings = 10;
constexpr int kImageGridUnselMessages = 11;
// Icons of headers and list rows.
constexpr int kImageIconCalendar = 12;
constexpr int kImageIconFolder = 13;
constexpr int kImageIconLanguage = 14;
constexpr int kImageIconMoney = 15;
constexpr int kImageIconOperator = 16;
constexpr int kImageIconQuality = 17;
constexpr int kImageIconSettings = 18;
constexpr int kImageIconTv = 19;
constexpr int kImageIconHeart = 20;
constexpr int kImageIconMessageUnselected = 21;
constexpr int kImageIconMessageSelected = 23;
constexpr int kImageArrowRight = 26;
constexpr int kImageBottomLine = 27;  // the soft-key bar
constexpr int kImageOverlayer = 28;
constexpr int kImageSelector = 29;
constexpr int kImageTimeSwitcher = 30;
constexpr int kImageTopLine = 31;  // the header
constexpr int kImageMenuLogo = 33;
constexpr int kImagePlate = 35;  // the band behind a channel's logo and texts
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
