// What the view and the player screen need of the media player while one
// exists: whether it owns the screen, how to bring it back after a display
// reset, and the controls of playback. The player subsystem supplies the
// implementation through the view's player factory.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "platform/bitmap.h"

namespace kestrova::ui {

class ViewPlayer {
 public:
  virtual ~ViewPlayer() = default;

  // While playing, the player draws the pictures and the view paints nothing.
  virtual bool IsPlaying() const = 0;
  // Full-screen playback also suspends the tickers.
  virtual bool IsFullScreen() const = 0;
  // True when the player paused itself because its video surface was lost.
  virtual bool PausedForLostSurface() = 0;
  // Re-creates the video output on the view's window and resumes playback.
  virtual void RecreateVideoAndResume() = 0;
  // Stops playback and releases the devices (before the player is deleted).
  virtual void Close() = 0;

  // Starts playing the queued segments when the first one is ready.
  virtual void Play() = 0;
  // Stops playing and deletes every queued segment file.
  virtual void Stop() = 0;
  // Level 0..64.
  virtual void SetVolume(int level) = 0;
  virtual void SetFullScreen(bool fullScreen) = 0;
  // True once the player found no sound device and plays without sound.
  virtual bool PlaysWithoutSound() const = 0;
  // Segments queued, the one playing included.
  virtual std::size_t QueuedSegments() const = 0;
  // Takes a downloaded segment over; false when it cannot (the caller keeps
  // the file). Any thread.
  [[nodiscard]] virtual bool QueueSegment(const std::filesystem::path& file, const std::wstring& programme) = 0;
  // The view's picture of the screen, to stand around the video picture.
  virtual void PaintInterface(const platform::Bitmap& interface) = 0;

 protected:
  ViewPlayer() = default;
  ViewPlayer(const ViewPlayer&) = default;
  ViewPlayer& operator=(const ViewPlayer&) = default;
};

}  // namespace kestrova::ui
