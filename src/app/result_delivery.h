// Hands a command's result to the view from a worker thread. The result
// travels as an owning pointer in WM_NET_RESULT; the view answers that it
// took it over. When the view or the message loop is already gone (the
// program is closing), the send is answered without the view and the
// result is freed here, so no result is ever lost or leaked.
#pragma once

#include "model/request_result.h"
#include "platform/messages.h"
#include "platform/ui_loop.h"

namespace kestrova::app {

// Sends WM_NET_RESULT with the command id and the result (null allowed) and
// waits until it was handled. True when the view took the result.
bool DeliverResult(platform::UiLoop& loop, platform::MessageTarget* view, int command,
                   model::RequestResultPtr result);

}  // namespace kestrova::app
