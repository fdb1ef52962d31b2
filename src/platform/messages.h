// Window message ids, message parameters and virtual-key codes, with the
// handset platform's values so that every layer above speaks its language.
#pragma once

#include <cstdint>

namespace kestrova::platform {

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

constexpr std::uint32_t WM_CREATE = 0x0001;
constexpr std::uint32_t WM_DESTROY = 0x0002;
constexpr std::uint32_t WM_SIZE = 0x0005;
constexpr std::uint32_t WM_ACTIVATE = 0x0006;
constexpr std::uint32_t WM_PAINT = 0x000F;
constexpr std::uint32_t WM_CLOSE = 0x0010;
constexpr std::uint32_t WM_ERASEBKGND = 0x0014;
constexpr std::uint32_t WM_SETTINGCHANGE = 0x001A;
constexpr std::uint32_t WM_KEYDOWN = 0x0100;
constexpr std::uint32_t WM_KEYUP = 0x0101;
constexpr std::uint32_t WM_CHAR = 0x0102;  // wParam = one typed code point (text input)
constexpr std::uint32_t WM_TIMER = 0x0113;
constexpr std::uint32_t WM_MOUSEMOVE = 0x0200;
constexpr std::uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr std::uint32_t WM_LBUTTONUP = 0x0202;
constexpr std::uint32_t WM_USER = 0x0400;

// WM_SETTINGCHANGE wParam: the display was reset (for example rotated).
constexpr WPARAM SETTINGCHANGE_RESET = 0x3002;

// WM_ACTIVATE wParam values.
constexpr WPARAM WA_INACTIVE = 0;
constexpr WPARAM WA_ACTIVE = 1;

// Virtual-key codes of the handset's keys.
constexpr std::uint32_t VK_RETURN = 13;  // action (centre) key
constexpr std::uint32_t VK_BACK_KEY = 27;  // the Back key (Esc and Backspace on a keyboard)
constexpr std::uint32_t VK_END = 35;      // keyboard keys the edit box uses for its caret
constexpr std::uint32_t VK_HOME = 36;
constexpr std::uint32_t VK_LEFT = 37;
constexpr std::uint32_t VK_UP = 38;
constexpr std::uint32_t VK_RIGHT = 39;
constexpr std::uint32_t VK_DOWN = 40;
constexpr std::uint32_t VK_DELETE = 46;
constexpr std::uint32_t VK_F1 = 112;  // left soft key
constexpr std::uint32_t VK_F2 = 113;  // right soft key

// Pointer messages carry the position in logical pixels as MAKELPARAM(x, y).
constexpr LPARAM MakePointLParam(int x, int y) {
  return static_cast<LPARAM>((static_cast<std::uint32_t>(y) & 0xFFFFU) << 16U |
                             (static_cast<std::uint32_t>(x) & 0xFFFFU));
}
constexpr int PointX(LPARAM l) { return static_cast<std::int16_t>(static_cast<std::uint32_t>(l) & 0xFFFFU); }
constexpr int PointY(LPARAM l) {
  return static_cast<std::int16_t>((static_cast<std::uint32_t>(l) >> 16U) & 0xFFFFU);
}

// Receives the messages of one window (the frame or the view).
class MessageTarget {
 public:
  virtual LRESULT WindowProc(std::uint32_t message, WPARAM wParam, LPARAM lParam) = 0;

 protected:
  MessageTarget() = default;
  MessageTarget(const MessageTarget&) = default;
  MessageTarget& operator=(const MessageTarget&) = default;
  ~MessageTarget() = default;
};

}  // namespace kestrova::platform
