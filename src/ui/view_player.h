// What the view needs of the media player while one exists: whether it owns
// the screen, and how to bring it back after a display reset. The player
// subsystem supplies the implementation through the view's player factory.
#pragma once

namespace kestrova::ui {

class ViewPlayer {
 public:
  virtual ~ViewPlayer() = default;

  // While playing, the player draws the pictures and the view paints nothing.
  virtual bool IsPlaying() const = 0;
  // Full-screen playback also suspends the tickers.
  virtual bool IsFullScreen() const = 0;
  // True when the player paused itself because its video surface was lost.
  virtual bool PausedForLostSurface() const = 0;
  // Re-creates the video output on the view's window and resumes playback.
  virtual void RecreateVideoAndResume() = 0;
  // Stops playback and releases the devices (before the player is deleted).
  virtual void Close() = 0;

 protected:
  ViewPlayer() = default;
  ViewPlayer(const ViewPlayer&) = default;
  ViewPlayer& operator=(const ViewPlayer&) = default;
};

}  // namespace kestrova::ui
