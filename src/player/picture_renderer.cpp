#include "player/picture_renderer.h"

#include "player/colour_conversion.h"
#include "player/scaler.h"

namespace kestrova::player {

const VideoLayout& PictureRenderer::Prepare(int orientation, int frameWidth, int frameHeight) {
  if (orientation != layout_.orientation || frameWidth != layout_.frameWidth || frameHeight != layout_.frameHeight ||
      fullScreen_ != layout_.fullScreen) {
    layout_ = MakeLayout(orientation, fullScreen_, frameWidth, frameHeight);
    work_.assign(static_cast<std::size_t>(frameWidth > 0 ? frameWidth : 0) *
                     static_cast<std::size_t>(frameHeight > 0 ? frameHeight : 0),
                 0);
  }
  return layout_;
}

bool PictureRenderer::Render(const YCbCrPicture& picture, std::uint16_t* start, std::ptrdiff_t rowStep) {
  if (picture.luma.width != layout_.frameWidth || picture.luma.height != layout_.frameHeight) return false;
  const bool converted = layout_.rotated ? ConvertRotated(picture, table_, work_) : ConvertStraight(picture, table_, work_);
  if (!converted) return false;
  const ScaleSource source{work_, layout_.sourceColumns, layout_.sourceRows};
  const ScaleTarget target{start, rowStep, layout_.extentColumns, layout_.extentRows};
  Scale(source, target, layout_.scaleStep);
  return true;
}

void PictureRenderer::SetFullScreen(bool fullScreen) {
  fullScreen_ = fullScreen;
  layout_.orientation = kOrientationUnknown;
}

}  // namespace kestrova::player
