// Hands a command's result to the view from a worker thread. The result
// travels as an owning pointer; the view answers that it took it over. When
// the view or the message loop is already gone (the program is closing), the
// send is answered without the view and the result is freed here, so no
// result is ever lost or leaked.
#pragma once

#include "model/request_result.h"
#include "platform/messages.h"
#include "platform/ui_loop.h"

namespace kestrova::ui {
class Screen;
}

namespace kestrova::app {

// A network command's result on its way to the screen that submitted it.
// The view hands it on only while that screen is still current (it checks
// on its own thread, where the current screen changes), else frees it.
constexpr std::uint32_t WM_NET_DELIVER = platform::WM_USER + 203;  // lParam = ResultDelivery*

struct ResultDelivery {
  int command = 0;
  const ui::Screen* requester = nullptr;
  model::RequestResultPtr result;  // may be none
};

// Sends WM_NET_RESULT with the command id and the result (null allowed) and
// waits until it was handled. True when the view took the result.
bool DeliverResult(platform::UiLoop& loop, platform::MessageTarget* view, int command,
                   model::RequestResultPtr result);

// Sends WM_NET_DELIVER for the requester. True when the view took it.
bool DeliverToRequester(platform::UiLoop& loop, platform::MessageTarget* view, ResultDelivery delivery);

}  // namespace kestrova::app
