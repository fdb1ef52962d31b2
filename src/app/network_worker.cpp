#include "app/network_worker.h"

#include <chrono>
#include <optional>
#include <utility>

#include "app/network_commands.h"
#include "net/stream_session.h"

namespace kestrova::app {
namespace {

// How often a new stream set-up looks whether the previous one has ended.
constexpr std::chrono::milliseconds kStreamSetupPoll{500};

// Hand-overs go to the relay with no window as their target: the relay
// outlives every worker, so nothing has to drop them when a window goes.
//
// The indicator goes on with the task's cancel flag, which the view keeps
// so that Back can stop this request; off without one.
void ShowBusy(const WorkerHost& host, const NetworkTask& task) {
  SendTo(host.loop, nullptr, host.view, NetBusy{true, task.cancel});
}

void HideBusy(const WorkerHost& host) { SendTo(host.loop, nullptr, host.view, NetBusy{}); }

void SendDone(const WorkerHost& host) { SendTo(host.loop, nullptr, host.view, NetDone{}); }

bool Cancelled(const WorkerHost& host) { return host.api.network.cancel.load() != 0; }

bool RequestCancelled(const NetworkTask& task) { return task.cancel->load() != 0; }

// The endpoints of the task see its cancel flag.
net::ApiContext TaskApi(const WorkerHost& host, const NetworkTask& task) {
  return {host.api.data, host.api.network, task.cancel.get()};
}

void Deliver(const WorkerHost& host, const NetworkTask& task, model::RequestResultPtr result) {
  if (Cancelled(host)) return;  // the session ends: nobody is waiting for it
  SendTo(host.loop, nullptr, host.view, NetResult{task.command, task.screen, std::move(result)});
}

// Command 25: the next segment of the channel or video, handed to the
// segment sink.
model::RequestResultPtr RunStreamSetup(const WorkerHost& host, const NetworkTask& task) {
  return net::FetchLiveSegment(TaskApi(host, task), task.parameters.channelId, task.submittedAt, host.segments);
}

// What a stream set-up that never began delivers: a failed one.
model::RequestResultPtr StreamSetupNotRun() {
  auto result = std::make_unique<model::RequestResult>();
  result->ok = false;
  return result;
}

}  // namespace

std::uint64_t DataTurns::Take() {
  std::lock_guard lock(mutex_);
  return issued_++;
}

DataTurns::Turn::Turn(DataTurns& turns, std::uint64_t turn) : turns_(turns), turn_(turn) {
  std::unique_lock lock(turns_.mutex_);
  turns_.passed_.wait(lock, [&] { return turns_.current_ == turn_; });
}

DataTurns::Turn::~Turn() {
  {
    std::lock_guard lock(turns_.mutex_);
    turns_.current_ = turn_ + 1;
  }
  turns_.passed_.notify_all();
}

void NetworkWorker(WorkerHost host, NetworkTask task) {
  // Held until the result and the end notice have been handed over.
  std::optional<DataTurns::Turn> turn;
  if (task.dataTurn) turn.emplace(host.turns, *task.dataTurn);
  if (task.waiter) ShowBusy(host, task);
  model::RequestResultPtr result = RunNetworkCommand(task, TaskApi(host, task));
  HideBusy(host);
  host.busy.fetch_sub(1);
  Deliver(host, task, std::move(result));
  if (task.waiter) SendDone(host);
}

void StreamSetupWorker(WorkerHost host, StreamSetupState& state, NetworkTask task) {
  const bool manageIndicator = task.waiter;
  if (manageIndicator) ShowBusy(host, task);
  // From now on a running set-up discards its result.
  const std::uint64_t number = state.newest.fetch_add(1) + 1;
  // One set-up at a time: the kept connection is shared.
  bool began = false;
  for (;;) {
    int idle = 0;
    began = state.running.compare_exchange_strong(idle, 1);
    if (began || Cancelled(host) || RequestCancelled(task)) break;
    std::this_thread::sleep_for(kStreamSetupPoll);
  }
  if (!began) {
    // Back (or the end of the session) while this set-up still waited for
    // the previous one: it never begins, leaves the running one alone and
    // fails.
    if (manageIndicator) {
      HideBusy(host);
      SendDone(host);
    }
    Deliver(host, task, StreamSetupNotRun());
    host.busy.fetch_sub(1);
    return;
  }
  model::RequestResultPtr result = RunStreamSetup(host, task);
  if (manageIndicator) {
    HideBusy(host);
    SendDone(host);
  }
  state.running = 0;
  if (state.newest.load() == number) Deliver(host, task, std::move(result));
  host.busy.fetch_sub(1);
}

void WorkerThreads::Start(std::function<void()> body) {
  std::lock_guard lock(mutex_);
  JoinFinished();
  auto worker = std::make_unique<Worker>();
  Worker* raw = worker.get();
  worker->thread = std::thread([raw, work = std::move(body)] {
    work();
    raw->finished = true;
  });
  workers_.push_back(std::move(worker));
}

void WorkerThreads::JoinFinished() {
  for (auto it = workers_.begin(); it != workers_.end();) {
    if ((*it)->finished.load()) {
      (*it)->thread.join();
      it = workers_.erase(it);
    } else {
      ++it;
    }
  }
}

bool WorkerThreads::AllFinished() {
  std::lock_guard lock(mutex_);
  for (const auto& worker : workers_) {
    if (!worker->finished.load()) return false;
  }
  return true;
}

void WorkerThreads::JoinAll() {
  std::lock_guard lock(mutex_);
  for (auto& worker : workers_) {
    if (worker->thread.joinable()) worker->thread.join();
  }
  workers_.clear();
}

}  // namespace kestrova::app
