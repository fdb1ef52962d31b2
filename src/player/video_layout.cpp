#include "player/video_layout.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace kestrova::player {
namespace {

constexpr int kPortraitWidth = 240;
constexpr int kPortraitHeight = 320;
constexpr long long kOne = 65536;  // 1.0 in 16.16

// Windowed, the picture leaves room for the interface around it; full screen
// it takes the whole display.
constexpr platform::Rect kPortraitWindow{0, 34, 240, 230};
constexpr platform::Rect kPortraitFull{0, 0, 240, 320};
constexpr platform::Rect kLandscapeWindow{50, 30, 270, 150};
constexpr platform::Rect kLandscapeFull{0, 0, 320, 240};

}  // namespace

VideoLayout MakeLayout(int orientation, bool fullScreen, int frameWidth, int frameHeight) {
  VideoLayout layout;
  layout.orientation = orientation;
  layout.fullScreen = fullScreen;
  layout.frameWidth = frameWidth;
  layout.frameHeight = frameHeight;
  const bool landscape = platform::IsLandscapeOrientation(orientation);
  layout.screenWidth = landscape ? kPortraitHeight : kPortraitWidth;
  layout.screenHeight = landscape ? kPortraitWidth : kPortraitHeight;
  layout.destination = landscape ? (fullScreen ? kLandscapeFull : kLandscapeWindow)
                                 : (fullScreen ? kPortraitFull : kPortraitWindow);
  // The display memory of a landscape display runs along its logical
  // columns (see SurfaceRowsFor), so a picture stands upright there only when
  // it is turned, in both modes. On a portrait display full screen turns the
  // picture sideways to use the whole display.
  layout.rotated = fullScreen || landscape;

  // Fit the picture into the rectangle: its width runs along the rectangle's
  // height only when it is turned sideways on a portrait display.
  long long a = frameWidth * kOne;
  long long b = frameHeight * kOne;
  if (!landscape && fullScreen) std::swap(a, b);
  const int width = layout.destination.Width();
  const int height = layout.destination.Height();
  layout.scaleStep = static_cast<int>(std::max(a / width, b / height));

  layout.sourceColumns = layout.rotated ? frameHeight : frameWidth;
  layout.sourceRows = layout.rotated ? frameWidth : frameHeight;
  // In landscape the scaler writes the rectangle turned, its rows running
  // along the display's width.
  layout.extentColumns = landscape ? height : width;
  layout.extentRows = landscape ? width : height;
  return layout;
}

SurfaceRows SurfaceRowsFor(const VideoLayout& layout, int rowPitch, int pixelPitch) {
  constexpr int kPixelBytes = 2;
  int r = std::abs(rowPitch) >= std::abs(pixelPitch) ? rowPitch / kPixelBytes : pixelPitch / kPixelBytes;
  const bool landscape = platform::IsLandscapeOrientation(layout.orientation);
  if (!landscape) r = -r;
  SurfaceRows rows;
  rows.rowStep = -static_cast<std::ptrdiff_t>(r);
  rows.startOffset = landscape ? static_cast<std::ptrdiff_t>(layout.destination.Width() - 1) * r : 0;
  return rows;
}

}  // namespace kestrova::player
