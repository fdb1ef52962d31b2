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
#include <condition_variable>
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

// The data state has no lock of its own. What keeps a worker and the
// user-interface thread apart is the order of the hand-overs (the screens
// read what a command wrote only once its result has been handed over) and
// the waiting indicator, which keeps the user from starting a second
// command meanwhile. Workers are kept apart by their turns: every command
// that touches the data state takes the next turn when it is submitted and
// runs only when the previous one has handed its result over and the
// user-interface thread has taken it. A command submitted while another
// runs (a tap while waiting) therefore waits for it, and finds the records
// its keys name only then: a record the first one freed is gone, never
// half-freed. Normally there is one command at a time and no wait at all.
class DataTurns {
 public:
  // The next turn; called on the submitting thread, so turns follow the
  // order of the submissions.
  std::uint64_t Take();
  // Holds a turn: waits until it has come, passes it on when destroyed.
  class Turn {
   public:
    Turn(DataTurns& turns, std::uint64_t turn);
    ~Turn();
    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;

   private:
    DataTurns& turns_;
    std::uint64_t turn_;
  };

 private:
  std::mutex mutex_;  // guards both counters
  std::condition_variable passed_;
  std::uint64_t issued_ = 0;   // turns taken
  std::uint64_t current_ = 0;  // the turn that may run now
};

// What a worker needs of the document.
struct WorkerHost {
  platform::UiLoop& loop;
  NetEvents& view;             // the relay: outlives every worker, forwards to the view while there is one
  net::ApiContext api;
  std::atomic<int>& busy;      // workers not yet finished
  net::SegmentSink& segments;  // outlives every worker; takes the live segments
  DataTurns& turns;            // outlives every worker
};

// Runs one command on the calling (worker) thread: its turn with the data
// state (when it has one), the indicator, the work, the busy counter, the
// delivery (unless the session was cancelled) and the end notice.
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
