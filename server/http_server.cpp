#include "http_server.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <iostream>

namespace kestrova::server {
namespace {

constexpr int kWorkersPerCore = 4;
constexpr int kMinWorkers = 8;
// cpp-httplib's own limit of a request line and of each header line; a
// whole head may hold four such lines' worth, in at most 100 lines.
constexpr std::size_t kMaxLine = 8192;
constexpr std::size_t kMaxHeadBytes = 4 * kMaxLine;
constexpr std::size_t kMaxHeaderLines = 100;
// Stated in the Keep-Alive header; a client may send this many requests on
// one connection.
constexpr std::size_t kMaxRequestsPerConnection = 100000;
// How long a worker waits on its connection for the next request.
constexpr int kLingerMs = 2;

}  // namespace

RequestLimits FrontEndRequestLimits(std::size_t max_body_bytes) {
  return {kMaxLine, kMaxHeadBytes, kMaxHeaderLines, max_body_bytes};
}

int DefaultWorkerCount() {
  const int cores = static_cast<int>(std::max(1U, std::thread::hardware_concurrency()));
  return std::max(kMinWorkers, kWorkersPerCore * cores);
}

// Runs each accepted socket's task at once on the accept thread (the task
// only parks the connection); its shutdown ends our connection handling.
// cpp-httplib owns this object and deletes it when listening ends.
class HttpServer::InlineTaskQueue final : public httplib::TaskQueue {
 public:
  explicit InlineTaskQueue(HttpServer& server) : server_(server) {}
  void enqueue(std::function<void()> fn) override { fn(); }
  void shutdown() override { server_.StopConnections(); }

 private:
  HttpServer& server_;
};

HttpServer::HttpServer(HttpLimits limits)
    : limits_(limits),
      request_limits_(FrontEndRequestLimits(limits.max_body_bytes)),
      poller_({limits.request_timeout, limits.keep_alive, request_limits_},
              [this](std::unique_ptr<Connection> connection) { Submit(std::move(connection)); }) {
  set_payload_max_length(limits.max_body_bytes);
  set_keep_alive_max_count(kMaxRequestsPerConnection);
  set_keep_alive_timeout(static_cast<time_t>(limits.keep_alive.count()));
  new_task_queue = [this] { return std::make_unique<InlineTaskQueue>(*this).release(); };
  const int count = limits.workers > 0 ? limits.workers : DefaultWorkerCount();
  for (int i = 0; i < count; ++i) {
    WorkerState& state = *worker_states_.emplace_back(std::make_unique<WorkerState>());
    const std::thread& worker = workers_.emplace_back([this, &state] { WorkerLoop(state); });
    worker_by_thread_.emplace(worker.get_id(), &state);
  }
}

HttpServer::~HttpServer() { StopConnections(); }

bool HttpServer::RaiseBacklog() {
  const socket_t socket = svr_sock_;
  return socket != INVALID_SOCKET && ::listen(socket, SOMAXCONN) == 0;
}

HttpServer::WorkerState* HttpServer::CurrentWorker() const {
  const auto it = worker_by_thread_.find(std::this_thread::get_id());
  return it == worker_by_thread_.end() ? nullptr : it->second;
}

void HttpServer::ParkCurrentRequest(WallClock::time_point due, std::shared_ptr<void> hold) {
  WorkerState* state = CurrentWorker();
  if (state == nullptr) return;  // not on a worker: nothing to park, the handler's answer goes out
  state->park = true;
  state->due = due;
  state->hold = std::move(hold);
}

bool HttpServer::CurrentRequestResumed() const {
  const WorkerState* state = CurrentWorker();
  return state != nullptr && state->resumed;
}

bool HttpServer::process_and_close_socket(socket_t sock) {
  poller_.Park(std::make_unique<Connection>(sock, Clock::now()));
  return true;
}

void HttpServer::Submit(std::unique_ptr<Connection> connection) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    ready_.push_back(std::move(connection));
  }
  ready_signal_.notify_one();
}

void HttpServer::WorkerLoop(WorkerState& state) {
  for (;;) {
    std::unique_ptr<Connection> connection;
    {
      std::unique_lock lock(mutex_);
      ready_signal_.wait(lock, [this] { return stopping_ || !ready_.empty(); });
      if (stopping_) return;
      connection = std::move(ready_.front());
      ready_.pop_front();
    }
    Answer(std::move(connection), state);
  }
}

void HttpServer::Answer(std::unique_ptr<Connection> connection, WorkerState& state) {
  for (;;) {
    DeadlineStream stream(*connection, connection->Deadline());
    const bool last = Stopping() || connection->RequestsServed() + 1 >= static_cast<int>(kMaxRequestsPerConnection);
    bool closed = false;
    bool answered = false;
    state.resumed = connection->Resumed();
    state.park = false;
    try {
      // Error answers (400, 414) come with false: they are sent all the same.
      const bool processed = process_request(stream, last, closed, nullptr);
      if (state.park && stream.Discard()) {
        // Run again when due; the worker is free meanwhile.
        state.park = false;
        connection->Park(state.due, std::move(state.hold));
        poller_.Park(std::move(connection));
        return;
      }
      answered = stream.Flush() && processed;
    } catch (const std::exception& fault) {
      std::cerr << "kestrova-server: request failed: " << fault.what() << "\n";
    }
    state.park = false;
    state.hold.reset();
    if (!answered || closed || last) return;  // dropping the connection closes it
    const Clock::time_point now = Clock::now();
    connection->FinishRequest(now);
    if (!NextRequestFollows(*connection, now)) break;
  }
  poller_.Park(std::move(connection));
}

// A client that keeps its connection usually sends its next request at once.
// While no other connection waits for a worker, this worker stays with the
// connection a moment for it, sparing the hand-over to the poller and back;
// only a whole request keeps it, anything else goes to the poller (which
// also refuses what is too large).
bool HttpServer::NextRequestFollows(Connection& connection, Clock::time_point now) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_ || !ready_.empty()) return false;
  }
  RequestFrame frame = connection.Examine(request_limits_);
  if (frame.kind == RequestFrame::Kind::kPartial) {
    pollfd p{connection.Socket(), POLLIN, 0};
    if (::poll(&p, 1, kLingerMs) <= 0 || !connection.ReadAvailable(request_limits_.MaxRequestBytes())) return false;
    frame = connection.Examine(request_limits_);
  }
  if (frame.kind != RequestFrame::Kind::kWhole) return false;
  connection.StartRequest(now, limits_.request_timeout);
  connection.FrameRequest(frame.size);
  return true;
}

bool HttpServer::Stopping() {
  std::lock_guard lock(mutex_);
  return stopping_;
}

void HttpServer::StopConnections() {
  {
    std::lock_guard lock(mutex_);
    if (stopping_ && workers_.empty()) return;
    stopping_ = true;
    ready_.clear();
  }
  ready_signal_.notify_all();
  for (auto& worker : workers_) {
    if (worker.joinable()) worker.join();
  }
  workers_.clear();
  poller_.Stop();
}

}  // namespace kestrova::server
