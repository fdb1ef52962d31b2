// The display's 16-bit RGB 5-6-5 memory as the video output writes it: a
// rectangle is locked and written directly (pointer, row pitch and pixel
// pitch in bytes, for the display's current orientation), then unlocked.
//
// The memory is the panel's own: 240 columns by 320 rows, as the glass is
// built. In a portrait orientation a logical row is a panel row (pixel pitch
// 2, row pitch +480). In a landscape orientation the logical screen is
// 320 x 240 and turned over the panel: logical (x, y) is panel column y of
// panel row 319 - x, so the pixel pitch is -480 and the row pitch +2.
//
// Threads: Lock and Unlock run on any thread (the audio notification thread
// draws the pictures); the memory is guarded by the surface's lock while a
// rectangle is locked. SDL video belongs to the user-interface thread, so
// unlocking only posts this surface a message, and the user-interface thread
// shows the memory in the window (WindowProc). Create, PaintInterface and
// the destructor run on the user-interface thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/bitmap.h"
#include "platform/display_state.h"
#include "platform/messages.h"
#include "platform/rect.h"

namespace kestrova::platform {

class UiLoop;
class Window;

class VideoSurface final : public MessageTarget {
 public:
  // Posted to the surface itself: show the memory in the window.
  static constexpr std::uint32_t kMessagePresent = WM_USER + 300;

  // A locked rectangle: written through `pixels`, released by Unlock or by
  // the destructor. Moves only.
  class Locked {
   public:
    Locked(VideoSurface& surface, std::unique_lock<std::mutex> guard, std::uint16_t* pixels, int rowPitch,
           int pixelPitch);
    ~Locked() { Unlock(); }
    Locked(Locked&& other) noexcept;
    Locked& operator=(Locked&&) = delete;
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

    std::uint16_t* Pixels() const { return pixels_; }
    int RowPitch() const { return rowPitch_; }      // bytes from one logical row to the next
    int PixelPitch() const { return pixelPitch_; }  // bytes from one logical pixel to the next
    // Releases the memory and has the window show it.
    void Unlock();

   private:
    VideoSurface* surface_;
    std::unique_lock<std::mutex> guard_;
    std::uint16_t* pixels_;
    int rowPitch_;
    int pixelPitch_;
  };

  // A surface over the window's display; null while the display is lost.
  static std::unique_ptr<VideoSurface> Create(UiLoop& loop, Window& window);
  VideoSurface(UiLoop& loop, Window& window);  // use Create
  ~VideoSurface();
  VideoSurface(const VideoSurface&) = delete;
  VideoSurface& operator=(const VideoSurface&) = delete;

  // The display's orientation now.
  int Orientation() const { return display_.Orientation(); }
  // True once the display was reset after this surface was made.
  bool IsLost() const { return display_.Generation() != generation_ || display_.Lost(); }

  // Locks a rectangle in the logical coordinates of the current orientation,
  // waiting while another thread holds the memory. Nullopt when the surface
  // is lost or the rectangle is not inside the screen.
  std::optional<Locked> Lock(const Rect& area);

  // User-interface thread: puts the program's interface (a picture of the
  // portrait screen) into the memory around `keep`, which the video picture
  // occupies, and shows it. In a landscape orientation the portrait
  // interface cannot stand around the picture: the area is black.
  void PaintInterface(const Bitmap& interface, const Rect& keep);

  // Whether unlocking shows the memory in the window; off while the program
  // paints the window itself (nothing playing).
  void SetShowing(bool showing) { showing_.store(showing); }

  // The pixel at logical (x, y) of the current orientation (tests and
  // screenshots); 0 outside the screen.
  std::uint16_t LogicalPixel(int x, int y) const;
  int LogicalWidth() const;
  int LogicalHeight() const;
  int Presented() const { return presented_.load(); }

  LRESULT WindowProc(std::uint32_t message, WPARAM wParam, LPARAM lParam) override;

 private:
  // Panel position of a logical pixel in the given orientation.
  std::size_t PanelIndex(int orientation, int x, int y) const;
  void Unlocked();

  UiLoop& loop_;
  Window& window_;
  DisplayState& display_;
  std::uint32_t generation_;
  const int panelWidth_;
  const int panelHeight_;

  mutable std::mutex memoryLock_;  // guards panel_
  Bitmap panel_;

  std::atomic<bool> presentPending_{false};
  std::atomic<bool> showing_{false};
  std::atomic<int> presented_{0};
};

}  // namespace kestrova::platform
