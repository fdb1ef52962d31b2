// The HTTP front end of kestrova-server: cpp-httplib's routing and request
// handling, with our own connection handling around it. cpp-httplib alone
// gives each connection a worker for its whole life, restarts its read
// time-out on every byte and listens with a backlog of 5, so a few slow
// clients deny all service. Here:
// - the listen backlog is the system's largest;
// - accepted connections wait in the ConnectionPoller, not in a worker,
//   until a whole request (head and body) has arrived; heads and bodies are
//   bounded, and what exceeds the bounds is refused without a worker;
// - a fixed pool of workers, sized for the machine, answers one request at a
//   time per connection, each within its overall deadline (from its first
//   byte to the last byte of the answer), never waiting to read;
// - kept-alive connections live on for as many requests as the client
//   sends, until idle for the keep-alive time;
// - a handler that cannot answer yet parks its request in the poller
//   (RequestParking) instead of waiting in its worker.
#pragma once

#include <httplib.h>

#include <chrono>
#include <cstddef>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include "connection.h"
#include "connection_poller.h"
#include "request_parking.h"

namespace kestrova::server {

struct HttpLimits {
  int workers = 0;  // 0: chosen for the machine (DefaultWorkerCount)
  std::chrono::seconds request_timeout{0};
  std::chrono::seconds keep_alive{0};
  std::size_t max_body_bytes = 0;  // larger bodies get 413
};

// The bounds of one request's head and body, as the front end applies them.
RequestLimits FrontEndRequestLimits(std::size_t max_body_bytes);

// Four per core, at least 8: handlers mostly compute, but some wait for the
// database or encode pictures.
int DefaultWorkerCount();

class HttpServer : public httplib::Server, public RequestParking {
 public:
  explicit HttpServer(HttpLimits limits);
  ~HttpServer() override;
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // After bind_to_port: listens with the system's largest backlog.
  bool RaiseBacklog();

  void ParkCurrentRequest(WallClock::time_point due, std::shared_ptr<void> hold) override;
  bool CurrentRequestResumed() const override;

 private:
  // cpp-httplib's accept loop hands every accepted socket here (on its own
  // thread, through the inline task queue): it goes to the poller at once.
  bool process_and_close_socket(socket_t sock) override;

  // What a worker's handlers tell it about the request being answered.
  // Only its own worker thread touches it.
  struct WorkerState {
    bool resumed = false;  // the request had been parked
    bool park = false;     // a handler parked it
    WallClock::time_point due{};
    std::shared_ptr<void> hold;
  };
  WorkerState* CurrentWorker() const;  // nullptr on other threads

  void Submit(std::unique_ptr<Connection> connection);
  void WorkerLoop(WorkerState& state);  // each worker thread
  void Answer(std::unique_ptr<Connection> connection, WorkerState& state);
  bool NextRequestFollows(Connection& connection, Clock::time_point now);
  bool Stopping();
  // When the accept loop ends: closes every connection and ends the workers.
  void StopConnections();

  class InlineTaskQueue;

  HttpLimits limits_;
  RequestLimits request_limits_;
  ConnectionPoller poller_;

  std::mutex mutex_;  // guards ready_ and stopping_
  std::condition_variable ready_signal_;
  std::deque<std::unique_ptr<Connection>> ready_;
  bool stopping_ = false;

  std::vector<std::thread> workers_;
  std::vector<std::unique_ptr<WorkerState>> worker_states_;
  // Filled by the constructor, read-only afterwards: no request can reach a
  // worker before the constructor has returned.
  std::unordered_map<std::thread::id, WorkerState*> worker_by_thread_;
};

}  // namespace kestrova::server
