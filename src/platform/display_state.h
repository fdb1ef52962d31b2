// The display as the handset reports it to its programs: its orientation
// (the values of the platform's display-settings query), and whether the
// video surfaces made on it are still valid. A display reset (the graphics
// device was lost) invalidates every surface made before it; while the
// display is lost no new surface can be made. Read from any thread.
#pragma once

#include <atomic>
#include <cstdint>

namespace kestrova::platform {

inline constexpr int kDisplayOrientation0 = 0;
inline constexpr int kDisplayOrientation90 = 1;
inline constexpr int kDisplayOrientation180 = 2;
inline constexpr int kDisplayOrientation270 = 4;

inline bool IsLandscapeOrientation(int orientation) {
  return orientation == kDisplayOrientation90 || orientation == kDisplayOrientation270;
}

class DisplayState {
 public:
  int Orientation() const { return orientation_.load(); }
  // Any of the four values; anything else is taken as upright.
  void SetOrientation(int orientation) {
    const bool known = orientation == kDisplayOrientation90 || orientation == kDisplayOrientation180 ||
                       orientation == kDisplayOrientation270;
    orientation_.store(known ? orientation : kDisplayOrientation0);
  }
  // The next quarter turn: 0, 90, 180, 270, 0...
  void Rotate() {
    switch (Orientation()) {
      case kDisplayOrientation0: SetOrientation(kDisplayOrientation90); break;
      case kDisplayOrientation90: SetOrientation(kDisplayOrientation180); break;
      case kDisplayOrientation180: SetOrientation(kDisplayOrientation270); break;
      default: SetOrientation(kDisplayOrientation0); break;
    }
  }

  // Every surface made so far is lost, and none can be made until Restore.
  void Lose() {
    generation_.fetch_add(1);
    lost_.store(true);
  }
  void Restore() { lost_.store(false); }
  bool Lost() const { return lost_.load(); }
  // Changes with every loss: a surface remembers the one it was made in.
  std::uint32_t Generation() const { return generation_.load(); }

 private:
  std::atomic<int> orientation_{kDisplayOrientation0};
  std::atomic<std::uint32_t> generation_{0};
  std::atomic<bool> lost_{false};
};

}  // namespace kestrova::platform
