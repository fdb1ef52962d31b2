// What the network workers hand to the view: the waiting indicator on and
// off, a command's result for the screen that submitted it, and the end of a
// command that showed the indicator. Each is a typed value that travels to
// the user-interface thread inside a platform::HandOver event, sent
// synchronously: the worker waits until the view has taken it (the busy
// counter, the end of the session and the order of results rely on that).
// The player's values (app/view_media_player.h) travel the same way, by the
// same SendTo and PostTo.
//
// An event that cannot be delivered (no view any more, the loop closed) is
// destroyed by its owner with everything it carries, so a result is never
// lost, leaked or freed twice.
#pragma once

#include <utility>

#include "app/network_task.h"
#include "model/request_result.h"
#include "platform/ui_event.h"
#include "platform/ui_loop.h"

namespace kestrova::ui {
class Screen;
}

namespace kestrova::app {

// The waiting indicator: shown for a request (whose cancel flag the view
// keeps, so that Back can stop it; none for a waiter without one) or hidden.
struct NetBusy {
  bool shown = false;
  RequestCancel request;
};

// A command's result on its way to the screen that submitted it. The view
// hands it on only while that screen is still current (it checks on its own
// thread, where the current screen changes) and frees it otherwise.
struct NetResult {
  int command = 0;
  const ui::Screen* requester = nullptr;  // only compared, never followed
  model::RequestResultPtr result;         // may be none
};

// A command that showed the indicator has ended: repaint now.
struct NetDone {};

// The receiving side; every Take runs on the user-interface thread.
class NetEvents {
 public:
  virtual void Take(NetBusy busy) = 0;
  virtual void Take(NetResult result) = 0;
  virtual void Take(NetDone done) = 0;

 protected:
  NetEvents() = default;
  NetEvents(const NetEvents&) = default;
  NetEvents& operator=(const NetEvents&) = default;
  ~NetEvents() = default;
};

// Hands `value` to `receiver` on the user-interface thread and waits until
// it was taken; any thread. `target` is the window the receiver belongs to
// (null for a receiver that outlives every sender). False when it could not
// be delivered; the value has then been destroyed.
template <class Receiver, class Value>
bool SendTo(platform::UiLoop& loop, platform::MessageTarget* target, Receiver& receiver, Value value) {
  return loop.Send(target, platform::MakeHandOver(receiver, std::move(value)));
}

// The same without waiting; the loop owns the value until it is taken.
template <class Receiver, class Value>
void PostTo(platform::UiLoop& loop, platform::MessageTarget* target, Receiver& receiver, Value value) {
  loop.Post(target, platform::MakeHandOver(receiver, std::move(value)));
}

}  // namespace kestrova::app
