// The video output: draws the newest decoded picture into the display's
// video surface once for every audio buffer the device finishes, converted
// (straight, or turned a quarter) and scaled into the layout for the
// display's current orientation and the mode; in windowed mode the view's
// interface stands around the picture.
//
// Threads: DrawPicture runs on the audio device's notification thread under
// the video stream's lock, which also guards the surface and the renderer
// (CreateVideo and DestroyVideo take it to replace the surface). The mode and
// the repaint flag are plain flags set from the user-interface thread.
#pragma once

#include <atomic>
#include <memory>

#include "platform/bitmap.h"
#include "platform/status.h"
#include "platform/ui_loop.h"
#include "platform/video_surface.h"
#include "platform/window.h"
#include "player/picture_renderer.h"
#include "player/player_view.h"
#include "player/theora_stream.h"

namespace kestrova::player {

class VideoOutput {
 public:
  enum class DrawResult { kDrawn, kNothing, kSurfaceLost };

  explicit VideoOutput(TheoraStream& video) : video_(video) {}
  ~VideoOutput() { DestroyVideo(); }
  VideoOutput(const VideoOutput&) = delete;
  VideoOutput& operator=(const VideoOutput&) = delete;

  // User-interface thread: a new surface on the view's window (a fresh
  // layout at the next picture). Fails when the display cannot give one.
  platform::Status CreateVideo(PlayerView& view);
  void DestroyVideo();

  // Fetches and draws the newest picture, then lets a waiting decoder take
  // over. kSurfaceLost when the surface could not be locked: a new layout
  // follows at the next picture, and the player pauses itself.
  DrawResult DrawPicture();

  // User-interface thread: paints the view's interface (a picture of the
  // whole portrait screen) around the picture's rectangle.
  void PaintInterface(const platform::Bitmap& interface);
  // Whether unlocking the surface shows it in the window.
  void SetShowing(bool showing);

  void SetFullScreen(bool fullScreen);
  bool IsFullScreen() const { return fullScreen_.load(); }
  // The interface around the picture is painted once more at the next
  // windowed picture.
  void SetRepaint(bool repaint) { repaint_.store(repaint); }
  bool Repaint() const { return repaint_.load(); }
  bool SurfaceLost();
  // Pictures put on the surface so far.
  int PicturesDrawn() const { return drawn_.load(); }
  // For tests: the surface, and the layout of the last picture.
  platform::VideoSurface* Surface();
  VideoLayout Layout();

 private:
  TheoraStream& video_;
  PlayerView* view_ = nullptr;
  // Guarded by the video stream's lock.
  std::unique_ptr<platform::VideoSurface> surface_;
  PictureRenderer renderer_;
  std::atomic<bool> fullScreen_{false};
  std::atomic<bool> repaint_{false};
  std::atomic<bool> showing_{false};
  std::atomic<int> drawn_{0};
};

}  // namespace kestrova::player
