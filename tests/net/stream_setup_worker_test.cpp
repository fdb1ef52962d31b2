// The stream set-up worker: a second set-up submitted while the first one
// runs waits for it, and only the second one's result reaches the screen;
// the first segment still went to the player. A waiting one that the user
// gives up on fails at once and leaves the running one alone. One submitted
// while the previous one's result is being handled delivers its own.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <utility>
#include <thread>
#include <vector>

#include "app/network_worker.h"
#include "app/view_events.h"
#include "support/loopback_server.h"
#include "platform/sdl_handles.h"
#include "support/sample_screens.h"
#include "support/test_document.h"

namespace kestrova::test {
namespace {

using namespace std::chrono_literals;

// The view's part: takes every delivered result and records its requester.
class DeliveryRecorder final : public app::NetEvents {
 public:
  void Take(app::NetBusy) override {}
  void Take(app::NetDone) override {}
  void Take(app::NetResult delivered) override {
    requesters.push_back(delivered.requester);
    oks.push_back(delivered.result ? delivered.result->ok : -1);
    if (onDeliver) std::exchange(onDeliver, nullptr)();
  }
  std::function<void()> onDeliver;  // runs once, inside the next delivery
  std::vector<const ui::Screen*> requesters;
  std::vector<int> oks;
};

struct CountingSink final : net::SegmentSink {
  bool QueueSegment(const std::filesystem::path& file, const std::wstring&) override {
    std::filesystem::remove(file);
    ++queued;
    return true;
  }
  std::atomic<int> queued{0};
};

TEST(StreamSetupWorker, ASecondSetUpWaitsForTheFirstWhoseResultIsDroppedUnlessTheUserGivesUpWaiting) {
  LoopbackServer server;
  std::atomic<int> getvids{0};
  std::atomic<bool> holdGetvid{false};
  server.Handle("/s/cc.cgi", [&getvids, &holdGetvid](const LoopbackRequest& request) {
    LoopbackReply reply;
    if (request.Param("query_type") == "setup") {
      reply.headers = {{"Qual_num", "1"}, {"S1", "2000"}, {"Len", "4"}};
    } else {
      while (holdGetvid) std::this_thread::sleep_for(5ms);
      reply.body = "OggS" + std::string(2000, 'x');
      // The first segment comes slowly, so the second set-up starts meanwhile.
      if (getvids++ == 0) {
        reply.pieceBytes = 500;
        reply.pause = 150ms;
      }
    }
    return reply;
  });
  model::DataState data;
  data.controlLink = server.WideBaseUrl() + L"/s/";
  net::NetworkContext network;
  ScopedTempDirectory tmp;

  platform::SdlLibrary sdl(SDL_INIT_EVENTS);
  ASSERT_TRUE(sdl.Ok());
  platform::UiLoop loop;
  DeliveryRecorder view;
  CountingSink sink;
  std::atomic<int> busy{2};
  app::StreamSetupState state;
  app::DataTurns turns;
  const app::WorkerHost host{loop, view, {data, network}, busy, sink, turns};
  const SampleListScreen first(ui::kPlayerScreen, {});
  const SampleListScreen second(ui::kPlayerScreen, {});
  app::NetworkTask task;
  task.command = model::kCommandStreamSetup;
  task.parameters.channelId = 102;
  task.screen = &first;
  std::thread a([&, task] { app::StreamSetupWorker(host, state, task); });
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (server.RequestCount() < 2 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(5ms);  // until the first getvid is under way
  }
  task.screen = &second;
  std::thread b([&, task] { app::StreamSetupWorker(host, state, task); });
  while (busy.load() > 0 && std::chrono::steady_clock::now() < deadline) loop.PumpOnce();
  a.join();
  b.join();

  EXPECT_EQ(busy.load(), 0);
  ASSERT_EQ(view.requesters.size(), 1U);
  EXPECT_EQ(view.requesters[0], task.screen);
  EXPECT_EQ(view.oks[0], 1);
  EXPECT_EQ(sink.queued.load(), 2);
  // The second set-up began only after the first segment had arrived.
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 4U);
  EXPECT_EQ(requests[2].Param("query_type"), "setup");

  // Again a first one, now held at its getvid; the second, shown with the
  // waiter, is cancelled (Back) while it waits: it fails at once, without a
  // request of its own, and the first one still brings its segment.
  holdGetvid = true;
  busy = 2;
  app::NetworkTask slow = task;
  slow.cancel = std::make_shared<std::atomic<int>>(0);
  std::thread c([&, slow] { app::StreamSetupWorker(host, state, slow); });
  while (server.RequestCount() < 6 && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(5ms);
  app::NetworkTask given = task;
  given.waiter = true;
  given.cancel = std::make_shared<std::atomic<int>>(1);
  std::thread d([&, given] { app::StreamSetupWorker(host, state, given); });
  while (view.oks.size() < 2 && std::chrono::steady_clock::now() < deadline) loop.PumpOnce();
  EXPECT_EQ(view.oks.size(), 2U);  // while the first one is still held
  holdGetvid = false;
  while (busy.load() > 0 && std::chrono::steady_clock::now() < deadline) loop.PumpOnce();
  c.join();
  d.join();
  ASSERT_EQ(view.oks.size(), 2U);
  EXPECT_EQ(view.oks[1], 0);
  EXPECT_EQ(server.RequestCount(), 6U);
  EXPECT_EQ(sink.queued.load(), 3);

  // The screen asks for the next segment while it handles a result, as the
  // player screen does: that set-up begins before the delivering one has
  // ended, and its result must still arrive.
  busy = 2;
  const auto handled = std::chrono::steady_clock::now() + 20s;
  std::thread f;
  view.onDeliver = [&] {
    f = std::thread([&, task] { app::StreamSetupWorker(host, state, task); });
    while (server.RequestCount() < 8 && std::chrono::steady_clock::now() < handled) std::this_thread::sleep_for(5ms);
  };
  std::thread e([&, task] { app::StreamSetupWorker(host, state, task); });
  while (busy.load() > 0 && std::chrono::steady_clock::now() < handled) loop.PumpOnce();
  e.join();
  f.join();
  ASSERT_EQ(view.oks.size(), 4U);
  EXPECT_EQ(view.oks[3], 1);
  EXPECT_EQ(sink.queued.load(), 5);
  EXPECT_EQ(tmp.FileCount(), 0U);
}

}  // namespace
}  // namespace kestrova::test
