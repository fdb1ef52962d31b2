// Holds the connections that are not being answered: idle kept-alive ones
// and those whose request is still arriving. One thread waits on all of
// them with epoll; a connection goes to the workers only once its request,
// head and body, is whole, so slow or silent clients hold no worker and a
// worker never waits on a socket. A request that is not whole by its
// deadline gets "408 Request Timeout" (checked on every read and every
// tick); one that cannot become whole within the limits (an endless head,
// too many header lines, too large a body) is refused at once. Either way
// the connection lingers a moment for its client to read the answer, then
// closes. A connection idle for longer than the keep-alive time is closed.
// A parked request (one a handler could not answer yet) waits here too,
// holding no worker, and goes to the workers again when it is due; a client
// that closes its connection meanwhile cancels it.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include "connection.h"

namespace kestrova::server {

class ConnectionPoller {
 public:
  using Ready = std::function<void(std::unique_ptr<Connection>)>;

  struct Limits {
    Clock::duration request_timeout;
    Clock::duration keep_alive;
    RequestLimits request;
  };

  // ready receives each connection whose request is whole and framed
  // (Connection::FrameRequest).
  ConnectionPoller(Limits limits, Ready ready);
  ~ConnectionPoller();
  ConnectionPoller(const ConnectionPoller&) = delete;
  ConnectionPoller& operator=(const ConnectionPoller&) = delete;

  // Any thread: a new connection, or one whose answer went out. After Stop
  // the connection is closed.
  void Park(std::unique_ptr<Connection> connection);
  // Closes every held connection and ends the thread.
  void Stop();

 private:
  void Run();  // the poller thread
  void Adopt(std::unique_ptr<Connection> connection, Clock::time_point now);
  void OnReadable(int socket, Clock::time_point now);
  // What becomes of a connection with new bytes: its whole request goes to
  // the workers, it waits for more, it was refused (or was late) and now
  // lingers, or it is closed.
  enum class Next { kHandOver, kWait, kRefused, kClose };
  Next Examine(Connection& connection, Clock::time_point now);
  void Sweep(Clock::time_point now);
  void Release(int socket);
  // Holds a connection that was refused until its client has read the answer.
  void Linger(Connection& connection, Clock::time_point now);

  Limits limits_;
  Ready ready_;
  int epoll_ = -1;
  int wake_ = -1;  // eventfd: Park and Stop wake the thread

  std::mutex mutex_;  // guards incoming_ and stopping_
  std::vector<std::unique_ptr<Connection>> incoming_;
  bool stopping_ = false;

  // The poller thread's own: the connections it waits on, by socket.
  std::unordered_map<int, std::unique_ptr<Connection>> held_;
  Clock::time_point last_sweep_{};

  std::thread thread_;
};

}  // namespace kestrova::server
