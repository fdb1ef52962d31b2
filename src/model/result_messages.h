// The window messages by which the network workers and the player thread
// report to the view. They are sent, not posted: the sender waits until the
// view has handled each one.
#pragma once

#include <cstdint>

#include "platform/messages.h"

namespace kestrova::model {

// wParam = command id, lParam = an owning RequestResult* or 0. The view
// answers kResultTaken when it took the result over; for any other answer
// (the window or the loop was already gone) the sender still owns it.
constexpr std::uint32_t WM_NET_RESULT = platform::WM_USER + 200;
// wParam = 1 waiter on, 0 off; with 1, lParam may carry the cancel flag of
// the request the waiter is shown for (the worker keeps it during the send).
constexpr std::uint32_t WM_NET_BUSY = platform::WM_USER + 201;
constexpr std::uint32_t WM_NET_DONE = platform::WM_USER + 202;  // repaint now

constexpr platform::LRESULT kResultTaken = 1;

}  // namespace kestrova::model
