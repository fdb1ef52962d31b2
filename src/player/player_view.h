// What the player needs of the view it is attached to: where its
// notifications go (SegmentEvents), the window and message loop its video
// output shows pictures in, and two requests it makes from its own threads.
#pragma once

#include "platform/ui_loop.h"
#include "platform/window.h"
#include "player/segment_events.h"

namespace kestrova::player {

class PlayerView : public SegmentEvents {
 public:
  virtual platform::UiLoop& Loop() = 0;
  virtual platform::Window& VideoWindow() = 0;
  // Any thread: the interface around the picture needs painting again. The
  // view answers on its own thread with MediaPlayer::PaintInterface.
  virtual void RequestInterfacePaint() = 0;
  // Any thread: drawing a picture failed; the view says "Internal error".
  virtual void ReportInternalError() = 0;
};

}  // namespace kestrova::player
