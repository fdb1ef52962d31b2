// The worker threads of the network commands. Every submission starts its
// own thread; the stream set-up runs on its own kind of worker, at most one
// at a time. Workers talk to the user-interface thread only by synchronous
// hand-overs (app/view_events.h) to the document's relay: the waiting
// indicator on and off, the result for the submitting screen, and the end
// of a command that showed the indicator.
//
// Thread entry points: NetworkWorker and StreamSetupWorker, each started by
// WorkerThreads::Start from CKestrovaDoc::SubmitRequest.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

#include "app/network_task.h"
#include "app/view_events.h"
#include "net/api_context.h"
#include "net/segment_sink.h"
#include "platform/ui_loop.h"

namespace kestrova::app {

// What a worker needs of the document.
struct WorkerHost {
  platform::UiLoop& loop;
  NetEvents& view;             // the relay: outlives every worker, forwards to the view while there is one
  net::ApiContext api;
  std::atomic<int>& busy;      // workers not yet finished
  net::SegmentSink& segments;  // outlives every worker; takes the live segments
};

// Runs one command on the calling (worker) thread: the indicator, the work,
// the busy counter, the delivery (unless the session was cancelled) and the
// end notice.
void NetworkWorker(WorkerHost host, NetworkTask task);

// The stream set-up's bookkeeping: a new set-up waits for the running one
// and makes it discard its result. Each set-up takes the next number when it
// starts; only the newest one delivers. A flag cleared after delivering
// would also clear that of a set-up submitted from inside the delivery,
// whose segment would then be lost and playback left waiting.
struct StreamSetupState {
  std::atomic<int> running{0};        // 1 while a set-up exchanges with the server
  std::atomic<std::uint64_t> newest{0};  // the number of the newest set-up
};

void StreamSetupWorker(WorkerHost host, StreamSetupState& state, NetworkTask task);

// The worker threads of the session. Threads that have finished are joined
// when the next one starts; JoinAll waits for the rest.
class WorkerThreads {
 public:
  WorkerThreads() = default;
  ~WorkerThreads() { JoinAll(); }
  WorkerThreads(const WorkerThreads&) = delete;
  WorkerThreads& operator=(const WorkerThreads&) = delete;

  void Start(std::function<void()> body);
  // True when every started thread has run to its end (none still sends).
  bool AllFinished();
  void JoinAll();

 private:
  struct Worker {
    std::thread thread;
    std::atomic<bool> finished{false};
  };
  void JoinFinished();

  // Guards workers_: threads start on the user-interface thread, and join
  // there or in the document's end.
  std::mutex mutex_;
  std::list<std::unique_ptr<Worker>> workers_;
};

}  // namespace kestrova::app
