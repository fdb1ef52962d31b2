#include "app/result_delivery.h"

#include "model/result_messages.h"

namespace kestrova::app {

bool DeliverResult(platform::UiLoop& loop, platform::MessageTarget* view, int command,
                   model::RequestResultPtr result) {
  if (view == nullptr) return false;
  const auto lParam = reinterpret_cast<platform::LPARAM>(result.get());
  const platform::LRESULT answer =
      loop.Send(view, model::WM_NET_RESULT, static_cast<platform::WPARAM>(command), lParam);
  if (answer != model::kResultTaken) return false;  // `result` still owns it and frees it
  // The view owns it now.
  static_cast<void>(result.release());
  return true;
}

}  // namespace kestrova::app
