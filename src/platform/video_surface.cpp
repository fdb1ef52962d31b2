#include "platform/video_surface.h"

#include <algorithm>
#include <utility>

#include "platform/ui_loop.h"
#include "platform/window.h"

namespace kestrova::platform {
namespace {

constexpr int kPixelBytes = static_cast<int>(sizeof(std::uint16_t));
constexpr std::uint16_t kBlack = 0;

}  // namespace

VideoSurface::Locked::Locked(VideoSurface& surface, std::unique_lock<std::mutex> guard, std::uint16_t* pixels,
                             int rowPitch, int pixelPitch)
    : surface_(&surface), guard_(std::move(guard)), pixels_(pixels), rowPitch_(rowPitch), pixelPitch_(pixelPitch) {}

VideoSurface::Locked::Locked(Locked&& other) noexcept
    : surface_(std::exchange(other.surface_, nullptr)),
      guard_(std::move(other.guard_)),
      pixels_(std::exchange(other.pixels_, nullptr)),
      rowPitch_(other.rowPitch_),
      pixelPitch_(other.pixelPitch_) {}

void VideoSurface::Locked::Unlock() {
  if (surface_ == nullptr) return;
  guard_.unlock();
  std::exchange(surface_, nullptr)->Unlocked();
  pixels_ = nullptr;
}

std::unique_ptr<VideoSurface> VideoSurface::Create(UiLoop& loop, Window& window) {
  if (window.Display().Lost()) return nullptr;
  auto surface = std::make_unique<VideoSurface>(loop, window);
  if (surface->panel_.Empty()) return nullptr;
  return surface;
}

VideoSurface::VideoSurface(UiLoop& loop, Window& window)
    : loop_(loop),
      window_(window),
      display_(window.Display()),
      generation_(display_.Generation()),
      panelWidth_(window.ClientRect().Width()),
      panelHeight_(window.ClientRect().Height()),
      panel_(panelWidth_, panelHeight_) {}

VideoSurface::~VideoSurface() { loop_.ForgetTarget(this); }

int VideoSurface::LogicalWidth() const {
  return IsLandscapeOrientation(Orientation()) ? panelHeight_ : panelWidth_;
}

int VideoSurface::LogicalHeight() const {
  return IsLandscapeOrientation(Orientation()) ? panelWidth_ : panelHeight_;
}

std::size_t VideoSurface::PanelIndex(int orientation, int x, int y) const {
  const int column = IsLandscapeOrientation(orientation) ? y : x;
  const int row = IsLandscapeOrientation(orientation) ? panelHeight_ - 1 - x : y;
  return static_cast<std::size_t>(row) * static_cast<std::size_t>(panelWidth_) + static_cast<std::size_t>(column);
}

std::optional<VideoSurface::Locked> VideoSurface::Lock(const Rect& area) {
  if (IsLost()) return std::nullopt;
  const int orientation = Orientation();
  const bool landscape = IsLandscapeOrientation(orientation);
  const int width = landscape ? panelHeight_ : panelWidth_;
  const int height = landscape ? panelWidth_ : panelHeight_;
  if (area.Empty() || area.left < 0 || area.top < 0 || area.right > width || area.bottom > height) return std::nullopt;
  std::unique_lock guard(memoryLock_);
  std::uint16_t* start = panel_.Row(0) + PanelIndex(orientation, area.left, area.top);
  const int rowPitch = landscape ? kPixelBytes : panelWidth_ * kPixelBytes;
  const int pixelPitch = landscape ? -panelWidth_ * kPixelBytes : kPixelBytes;
  return Locked(*this, std::move(guard), start, rowPitch, pixelPitch);
}

void VideoSurface::Unlocked() {
  if (!showing_.load()) return;
  // One presentation waiting is enough: it shows the latest memory.
  if (!presentPending_.exchange(true)) loop_.Post(this, kMessagePresent, 0, 0);
}

void VideoSurface::PaintInterface(const Bitmap& interface, const Rect& keep) {
  {
    const std::lock_guard guard(memoryLock_);
    const int orientation = Orientation();
    if (!IsLandscapeOrientation(orientation) && interface.Width() == panelWidth_ &&
        interface.Height() == panelHeight_) {
      for (int y = 0; y < panelHeight_; ++y) {
        const std::uint16_t* from = interface.Row(y);
        std::uint16_t* to = panel_.Row(y);
        if (y < keep.top || y >= keep.bottom) {
          std::copy_n(from, panelWidth_, to);
          continue;
        }
        const int left = std::clamp(keep.left, 0, panelWidth_);
        const int right = std::clamp(keep.right, left, panelWidth_);
        std::copy(from, from + left, to);
        std::copy(from + right, from + panelWidth_, to + right);
      }
    } else {
      const int width = LogicalWidth();
      const int height = LogicalHeight();
      for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
          const bool inside = x >= keep.left && x < keep.right && y >= keep.top && y < keep.bottom;
          if (!inside) panel_.Row(0)[PanelIndex(orientation, x, y)] = kBlack;
        }
      }
    }
  }
  if (showing_.load()) {
    presentPending_.store(false);
    const std::lock_guard guard(memoryLock_);
    if (window_.Present(panel_)) presented_.fetch_add(1);
  }
}

std::uint16_t VideoSurface::LogicalPixel(int x, int y) const {
  const std::lock_guard guard(memoryLock_);
  if (x < 0 || y < 0 || x >= LogicalWidth() || y >= LogicalHeight()) return 0;
  return panel_.Row(0)[PanelIndex(Orientation(), x, y)];
}

LRESULT VideoSurface::WindowProc(std::uint32_t message, WPARAM, LPARAM) {
  if (message != kMessagePresent) return 0;
  presentPending_.store(false);
  if (!showing_.load()) return 0;
  const std::lock_guard guard(memoryLock_);
  if (window_.Present(panel_)) presented_.fetch_add(1);
  return 0;
}

}  // namespace kestrova::platform
