#include "platform/ui_loop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <thread>
#include <vector>

#include "platform/sdl_handles.h"

namespace kestrova::platform {
namespace {

using namespace std::chrono_literals;

class Recorder final : public MessageTarget {
 public:
  LRESULT WindowProc(std::uint32_t message, WPARAM wParam, LPARAM lParam) override {
    onUiThread = onUiThread && loop != nullptr && loop->IsUiThread();
    received.push_back({message, wParam, lParam});
    if (message == WM_CLOSE && loop != nullptr) loop->PostQuit(static_cast<int>(wParam));
    return static_cast<LRESULT>(wParam) * 2;
  }

  struct Message {
    std::uint32_t id;
    WPARAM w;
    LPARAM l;
  };
  UiLoop* loop = nullptr;
  std::vector<Message> received;
  bool onUiThread = true;
};

class UiLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sdl_.Ok());
    target_.loop = &loop_;
  }
  SdlLibrary sdl_{SDL_INIT_EVENTS};
  UiLoop loop_;
  Recorder target_;
};

TEST_F(UiLoopTest, PostedMessagesArriveInOrderAndQuitEndsTheLoopWithItsCode) {
  loop_.Post(&target_, WM_USER + 1, 1, 0);
  loop_.Post(&target_, WM_USER + 2, 2, 0);
  loop_.Post(&target_, WM_CLOSE, 255, 0);
  loop_.Post(&target_, WM_USER + 3, 3, 0);  // after the quit: never dispatched
  EXPECT_EQ(loop_.Run(), 255);
  ASSERT_EQ(target_.received.size(), 3U);
  EXPECT_EQ(target_.received[0].id, WM_USER + 1);
  EXPECT_EQ(target_.received[1].id, WM_USER + 2);
  EXPECT_EQ(target_.received[2].id, WM_CLOSE);
}

TEST_F(UiLoopTest, ASendFromAWorkerWaitsForTheUiThreadAndGetsTheResult) {
  std::atomic<bool> returned = false;
  std::thread worker([&] {
    const LRESULT result = loop_.Send(&target_, WM_USER + 200, 21, 7);
    returned = result == 42;
    loop_.Post(&target_, WM_CLOSE, 0, 0);
  });
  std::this_thread::sleep_for(50ms);
  EXPECT_FALSE(returned);  // nobody has run the loop yet
  EXPECT_EQ(loop_.Run(), 0);
  worker.join();
  EXPECT_TRUE(returned);
  EXPECT_TRUE(target_.onUiThread);
  ASSERT_FALSE(target_.received.empty());
  EXPECT_EQ(target_.received[0].id, WM_USER + 200);
  EXPECT_EQ(target_.received[0].l, 7);
}

TEST_F(UiLoopTest, DrainingDropsPostedMessagesButStillHandlesSentOnes) {
  loop_.Post(&target_, WM_USER + 1, 1, 0);
  std::promise<LRESULT> sent;
  std::thread worker([&] { sent.set_value(loop_.Send(&target_, WM_USER + 201, 5, 0)); });
  auto result = sent.get_future();
  // The exit sequence: wait in short sleeps, draining without dispatching.
  for (int i = 0; i < 200 && result.wait_for(0ms) != std::future_status::ready; ++i) {
    std::this_thread::sleep_for(5ms);
    loop_.DrainWithoutDispatch();
  }
  worker.join();
  EXPECT_EQ(result.get(), 10);
  ASSERT_EQ(target_.received.size(), 1U);
  EXPECT_EQ(target_.received[0].id, WM_USER + 201);
  EXPECT_FALSE(loop_.PumpOnce() && !target_.received.empty() && target_.received.back().id == WM_USER + 1);
}

TEST_F(UiLoopTest, ASendNeverHangsOnAClosedLoopOrAForgottenTarget) {
  std::promise<LRESULT> waiting;
  std::thread worker([&] { waiting.set_value(loop_.Send(&target_, WM_USER, 1, 0)); });
  std::this_thread::sleep_for(30ms);
  loop_.ForgetTarget(&target_);  // the window went away while a worker was sending
  EXPECT_EQ(waiting.get_future().get(), 0);
  worker.join();

  std::promise<LRESULT> closing;
  std::thread second([&] { closing.set_value(loop_.Send(&target_, WM_USER, 1, 0)); });
  std::this_thread::sleep_for(30ms);
  loop_.Close();  // the program is ending
  EXPECT_EQ(closing.get_future().get(), 0);
  second.join();

  std::thread late([&] { EXPECT_EQ(loop_.Send(&target_, WM_USER, 1, 0), 0); });
  late.join();
  EXPECT_TRUE(target_.received.empty());
}

// Takes what events hand over; the payload's use count shows who still
// holds it, so a value lost, leaked or freed twice shows (with the leak
// checker of the test build).
struct Taker {
  void Take(std::shared_ptr<int> value) {
    onUiThread = onUiThread && loop->IsUiThread();
    taken.push_back(std::move(value));
  }
  UiLoop* loop = nullptr;
  bool onUiThread = true;
  std::vector<std::shared_ptr<int>> taken;
};

TEST_F(UiLoopTest, AnEventHandsItsValueOverOnceOrItsOwnerDestroysItUnrun) {
  Taker taker;
  taker.loop = &loop_;
  const auto value = std::make_shared<int>(7);
  // A worker sends while this thread runs the loop, or instead does
  // `meanwhile` until the send returns; true when the event ran.
  auto sendFromWorker = [&](const std::function<void()>& meanwhile) {
    std::promise<bool> sent;
    std::thread worker([&] { sent.set_value(loop_.Send(&target_, MakeHandOver(taker, value))); });
    auto result = sent.get_future();
    while (result.wait_for(1ms) != std::future_status::ready) {
      if (meanwhile) {
        meanwhile();
      } else {
        loop_.PumpOnce();
      }
    }
    worker.join();
    return result.get();
  };

  // Sent while the loop runs: taken on the user-interface thread; posted:
  // taken at the next pass, after the message posted before it.
  EXPECT_TRUE(sendFromWorker(nullptr));
  loop_.Post(&target_, WM_USER + 1, 1, 0);
  loop_.Post(&target_, MakeHandOver(taker, value));
  EXPECT_EQ(taker.taken.size(), 1U);
  loop_.PumpOnce();
  ASSERT_EQ(taker.taken.size(), 2U);
  EXPECT_EQ(target_.received.size(), 1U);
  EXPECT_TRUE(taker.onUiThread);
  EXPECT_EQ(value.use_count(), 3);

  // Posted and then dropped (the window goes, the exit sequence drains):
  // destroyed unrun by the loop.
  loop_.Post(&target_, MakeHandOver(taker, value));
  loop_.ForgetTarget(&target_);
  loop_.Post(&target_, MakeHandOver(taker, value));
  loop_.DrainWithoutDispatch();
  EXPECT_EQ(value.use_count(), 3);

  // Sent while the window goes, while the loop closes, and after: not run,
  // destroyed by the sender.
  EXPECT_FALSE(sendFromWorker([&] { loop_.ForgetTarget(&target_); }));
  EXPECT_FALSE(sendFromWorker([&] { loop_.Close(); }));
  EXPECT_FALSE(sendFromWorker(nullptr));
  loop_.Post(&target_, MakeHandOver(taker, value));
  EXPECT_EQ(taker.taken.size(), 2U);
  EXPECT_EQ(value.use_count(), 3);
}

TEST_F(UiLoopTest, TimersFireByPeriodRestartAndStop) {
  loop_.SetTimer(&target_, 2, 20);
  loop_.SetTimer(&target_, 5, 1000);
  const auto start = UiLoop::Clock::now();
  while (UiLoop::Clock::now() - start < 130ms) {
    loop_.PumpOnce();
    std::this_thread::sleep_for(2ms);
  }
  int twos = 0;
  for (const auto& m : target_.received) twos += (m.id == WM_TIMER && m.w == 2) ? 1 : 0;
  EXPECT_GE(twos, 4);
  EXPECT_LE(twos, 7);
  for (const auto& m : target_.received) EXPECT_NE(m.w, 5U);

  loop_.KillTimer(&target_, 2);
  EXPECT_FALSE(loop_.HasTimer(&target_, 2));
  target_.received.clear();
  loop_.SetTimer(&target_, 5, 40);  // restarting replaces the one-second period
  std::this_thread::sleep_for(60ms);
  loop_.PumpOnce();
  ASSERT_EQ(target_.received.size(), 1U);
  EXPECT_EQ(target_.received[0].w, 5U);
}

}  // namespace
}  // namespace kestrova::platform
