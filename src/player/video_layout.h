// Where a picture goes on the 240 x 320 display, for each display
// orientation and both modes: the destination rectangle, whether the picture
// is turned, the 16.16 scale step that fits it into the rectangle keeping its
// aspect ratio, and the extents handed to the scaler.
#pragma once

#include <cstddef>

#include "platform/display_state.h"
#include "platform/rect.h"

namespace kestrova::player {

// Not a display orientation (those are platform::kDisplayOrientation0 to
// 270): forces a new layout at the next picture.
inline constexpr int kOrientationUnknown = -1;

struct VideoLayout {
  int orientation = kOrientationUnknown;
  bool fullScreen = false;
  int screenWidth = 0;
  int screenHeight = 0;
  platform::Rect destination;
  int frameWidth = 0;  // luma size of the picture the layout was made for
  int frameHeight = 0;
  bool rotated = false;   // converted with a quarter turn
  int scaleStep = 0;      // source pixels per destination pixel, 16.16
  int sourceColumns = 0;  // of the converted work picture
  int sourceRows = 0;
  int extentColumns = 0;  // handed to the scaler
  int extentRows = 0;
};

// The layout for a picture of frameWidth x frameHeight luma pixels.
VideoLayout MakeLayout(int orientation, bool fullScreen, int frameWidth, int frameHeight);

// How the scaler's rows map onto a locked surface with the given row and pixel
// pitches (signed, in bytes): destination row i starts at
// startOffset + i x rowStep pixels from the locked memory.
struct SurfaceRows {
  std::ptrdiff_t startOffset = 0;
  std::ptrdiff_t rowStep = 0;
};
SurfaceRows SurfaceRowsFor(const VideoLayout& layout, int rowPitch, int pixelPitch);

}  // namespace kestrova::player
