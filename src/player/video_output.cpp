#include "player/video_output.h"

#include <mutex>
#include <new>
#include <utility>


namespace kestrova::player {

platform::Status VideoOutput::CreateVideo(PlayerView& view) {
  auto surface = platform::VideoSurface::Create(view.Loop(), view.VideoWindow());
  if (!surface) return platform::Status::Failure("the video surface cannot be created");
  surface->SetShowing(showing_.load());
  std::unique_ptr<platform::VideoSurface> old;
  {
    const std::lock_guard guard(video_.Lock());
    view_ = &view;
    old = std::exchange(surface_, std::move(surface));
    renderer_.Invalidate();
  }
  return {};
}

void VideoOutput::DestroyVideo() {
  std::unique_ptr<platform::VideoSurface> old;
  const std::lock_guard guard(video_.Lock());
  old = std::move(surface_);
}

bool VideoOutput::SurfaceLost() {
  const std::lock_guard guard(video_.Lock());
  return !surface_ || surface_->IsLost();
}

VideoOutput::DrawResult VideoOutput::DrawPicture() {
  const std::lock_guard guard(video_.Lock());
  if (!video_.HasDecoder()) return DrawResult::kNothing;
  DrawResult result = DrawResult::kNothing;
  try {
    const auto picture = video_.FetchPicture();
    if (picture && surface_) {
      if (renderer_.FullScreen() != fullScreen_.load()) renderer_.SetFullScreen(fullScreen_.load());
      const VideoLayout& layout =
          renderer_.Prepare(surface_->Orientation(), picture->luma.width, picture->luma.height);
      // The view paints on its own thread; it is asked here and answers
      // through PaintInterface.
      if (!layout.fullScreen && repaint_.exchange(false) && view_ != nullptr) view_->RequestInterfacePaint();
      const platform::Rect area{layout.destination.left, layout.destination.top, layout.destination.right,
                                layout.destination.bottom};
      auto locked = surface_->Lock(area);
      if (!locked) {
        renderer_.Invalidate();
        result = DrawResult::kSurfaceLost;
      } else {
        const SurfaceRows rows = SurfaceRowsFor(layout, locked->RowPitch(), locked->PixelPitch());
        const bool rendered = renderer_.Render(*picture, locked->Pixels() + rows.startOffset, rows.rowStep);
        locked->Unlock();
        // A picture that does not match the layout is not counted as shown.
        if (rendered) {
          drawn_.fetch_add(1);
          result = DrawResult::kDrawn;
        }
      }
    }
  } catch (const std::bad_alloc&) {
    // A new layout could not get its work picture.
    if (view_ != nullptr) view_->ReportInternalError();
  }
  if (video_.HasNextDecoder()) video_.SwitchDecoder();
  return result;
}

void VideoOutput::PaintInterface(const platform::Bitmap& interface) {
  const std::lock_guard guard(video_.Lock());
  if (!surface_) return;
  const platform::Rect keep = renderer_.Layout().destination;
  surface_->PaintInterface(interface, {keep.left, keep.top, keep.right, keep.bottom});
}

void VideoOutput::SetShowing(bool showing) {
  showing_.store(showing);
  const std::lock_guard guard(video_.Lock());
  if (surface_) surface_->SetShowing(showing);
}

void VideoOutput::SetFullScreen(bool fullScreen) {
  const bool was = fullScreen_.exchange(fullScreen);
  // Leaving full screen brings the interface back around the picture.
  if (was && !fullScreen) repaint_.store(true);
}

platform::VideoSurface* VideoOutput::Surface() {
  const std::lock_guard guard(video_.Lock());
  return surface_.get();
}

VideoLayout VideoOutput::Layout() {
  const std::lock_guard guard(video_.Lock());
  return renderer_.Layout();
}

}  // namespace kestrova::player
