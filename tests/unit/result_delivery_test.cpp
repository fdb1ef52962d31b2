// A command's result travels to the view as an owning pointer: whoever ends
// up holding it frees it, also when the program closes while the result is
// on its way. The leak checker of the test build sees any result lost.
#include "app/result_delivery.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "model/result_messages.h"
#include "platform/sdl_handles.h"

namespace kestrova::app {
namespace {

using namespace std::chrono_literals;

class ResultTaker final : public platform::MessageTarget {
 public:
  platform::LRESULT WindowProc(std::uint32_t message, platform::WPARAM, platform::LPARAM lParam) override {
    if (message != model::WM_NET_RESULT) return 0;
    taken.reset(reinterpret_cast<model::RequestResult*>(lParam));
    return model::kResultTaken;
  }
  model::RequestResultPtr taken;
};

model::RequestResultPtr Result(const wchar_t* text) {
  auto result = std::make_unique<model::RequestResult>();
  result->ok = 1;
  result->message = text;
  return result;
}

TEST(ResultDelivery, TheViewTakesAResultOrTheSenderFreesIt) {
  platform::SdlLibrary sdl(SDL_INIT_EVENTS);
  ASSERT_TRUE(sdl.Ok());
  platform::UiLoop loop;
  ResultTaker view;

  // Delivered while the loop runs: the view owns it.
  std::atomic<int> delivered{-1};
  std::thread worker([&] { delivered = DeliverResult(loop, &view, 3, Result(L"first")) ? 1 : 0; });
  while (delivered.load() < 0) loop.PumpOnce();
  worker.join();
  EXPECT_EQ(delivered.load(), 1);
  ASSERT_TRUE(view.taken);
  EXPECT_EQ(view.taken->message, L"first");

  // The window goes away while a result waits: the sender gets it back.
  std::atomic<int> forgotten{-1};
  std::thread late([&] { forgotten = DeliverResult(loop, &view, 4, Result(L"late")) ? 1 : 0; });
  std::this_thread::sleep_for(50ms);
  loop.ForgetTarget(&view);
  late.join();
  EXPECT_EQ(forgotten.load(), 0);

  // The loop closes while a result waits, and refuses any after that.
  std::atomic<int> closing{-1};
  std::thread last([&] { closing = DeliverResult(loop, &view, 5, Result(L"closing")) ? 1 : 0; });
  std::this_thread::sleep_for(50ms);
  loop.Close();
  last.join();
  EXPECT_EQ(closing.load(), 0);
  std::thread after([&] { EXPECT_FALSE(DeliverResult(loop, &view, 6, Result(L"after"))); });
  after.join();
  EXPECT_EQ(view.taken->message, L"first");
}

}  // namespace
}  // namespace kestrova::app
