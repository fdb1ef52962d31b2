// The drawing half of the video output that needs no display: keeps the
// layout for the current orientation, mode and picture size, converts each
// picture into the work picture (straight windowed, turned full screen) and
// scales it into the destination the caller has locked. Only a new layout
// allocates; drawing a picture does not.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "player/colour_table.h"
#include "player/video_layout.h"
#include "player/ycbcr_picture.h"

namespace kestrova::player {

class PictureRenderer {
 public:
  // The layout for a picture of this size in this display orientation; made
  // anew when the orientation, the size or the mode changed.
  const VideoLayout& Prepare(int orientation, int frameWidth, int frameHeight);

  // Converts and scales a picture into the destination rectangle of the
  // prepared layout: row i of the rectangle at start + i x rowStep pixels.
  // False when the picture does not match the layout (nothing drawn).
  [[nodiscard]] bool Render(const YCbCrPicture& picture, std::uint16_t* start, std::ptrdiff_t rowStep);

  // Switching modes makes a new layout at the next picture.
  void SetFullScreen(bool fullScreen);
  // A new layout at the next picture (the display was lost).
  void Invalidate() { layout_.orientation = kOrientationUnknown; }
  bool FullScreen() const { return fullScreen_; }
  const VideoLayout& Layout() const { return layout_; }

 private:
  ColourTable table_;
  bool fullScreen_ = false;
  VideoLayout layout_;
  std::vector<std::uint16_t> work_;  // the converted picture
};

}  // namespace kestrova::player
