#include "app/result_delivery.h"

#include <memory>

#include "model/result_messages.h"

namespace kestrova::app {

namespace {

// Sends the owned object and releases it only when the handler took it.
template <typename Owned>
bool SendOwned(platform::UiLoop& loop, platform::MessageTarget* view, std::uint32_t message,
               platform::WPARAM wParam, std::unique_ptr<Owned> owned) {
  if (view == nullptr) return false;
  const auto lParam = reinterpret_cast<platform::LPARAM>(owned.get());
  if (loop.Send(view, message, wParam, lParam) != model::kResultTaken) return false;  // freed here
  static_cast<void>(owned.release());  // the view owns it now
  return true;
}

}  // namespace

bool DeliverResult(platform::UiLoop& loop, platform::MessageTarget* view, int command,
                   model::RequestResultPtr result) {
  return SendOwned(loop, view, model::WM_NET_RESULT, static_cast<platform::WPARAM>(command), std::move(result));
}

bool DeliverToRequester(platform::UiLoop& loop, platform::MessageTarget* view, ResultDelivery delivery) {
  const auto command = static_cast<platform::WPARAM>(delivery.command);
  return SendOwned(loop, view, WM_NET_DELIVER, command, std::make_unique<ResultDelivery>(std::move(delivery)));
}

}  // namespace kestrova::app
