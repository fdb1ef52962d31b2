// One client connection of the HTTP front end: its socket, the bytes read
// but not yet used, and the times that bound it. It moves between the
// poller (idle, or a request arriving) and a worker (a whole request being
// answered); whoever holds it owns it, and dropping it closes the socket.
#pragma once

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "request_frame.h"

namespace kestrova::server {

using Clock = std::chrono::steady_clock;

class Connection {
 public:
  // Takes the socket over and makes it non-blocking.
  explicit Connection(int socket, Clock::time_point now);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  int Socket() const { return socket_; }

  // Reads what the socket has without waiting, until the unread text holds
  // at least limit bytes. False on end of stream or an error.
  bool ReadAvailable(std::size_t limit);
  std::size_t UnreadSize() const { return unread_.size() - unread_start_; }
  // Where the first request in the unread text ends, after dropping the
  // empty lines before it.
  RequestFrame Examine(const RequestLimits& limits);

  // The first size unread bytes are the current request: only they are
  // handed out by TakeRequest, which gives 0 once they are used up.
  void FrameRequest(std::size_t size) {
    request_start_ = unread_start_;
    request_left_ = std::min(size, UnreadSize());
    request_size_ = request_left_;
  }
  std::size_t RequestLeft() const { return request_left_; }
  std::size_t TakeRequest(char* out, std::size_t size);

  // The current request waits, holding no worker, until due; it is read
  // again from its first byte when it runs. hold lives as long as it waits.
  void Park(std::chrono::system_clock::time_point due, std::shared_ptr<void> hold);
  bool Parked() const { return parked_; }
  std::chrono::system_clock::time_point Due() const { return due_; }
  // The parked request runs now: it gets a new deadline from now.
  void Resume(Clock::time_point now, Clock::duration timeout);
  // Whether the request being answered had been parked before.
  bool Resumed() const { return resumed_; }

  // Sends bytes without waiting (an interim or a refusal answer); false
  // when they did not all go out.
  bool SendNow(std::string_view bytes);
  // Whether the current request's client was told "100 Continue".
  bool ContinueSent() const { return continue_sent_; }
  void MarkContinueSent() { continue_sent_ = true; }

  // A request began: its first byte came at now, so it must be answered by
  // now + timeout.
  void StartRequest(Clock::time_point now, Clock::duration timeout);
  bool InRequest() const { return in_request_; }
  Clock::time_point Deadline() const { return deadline_; }
  // The answer went out; what the parser left of the request is dropped,
  // and the connection waits for its next request.
  void FinishRequest(Clock::time_point now);
  Clock::time_point IdleSince() const { return idle_since_; }
  int RequestsServed() const { return requests_served_; }

  // After a refusal the connection takes no further request: our side ends
  // after the answer, and what the client still sends is read and dropped
  // until it stops or until the given time. Closing at once, with its bytes
  // unread, would make the system reset the connection, and the client could
  // lose the answer before reading it.
  void Linger(Clock::time_point until);
  bool Lingering() const { return lingering_; }
  Clock::time_point LingerUntil() const { return linger_until_; }
  // Reads and drops what has arrived; false once the client has closed, on
  // an error, or when it sent more than a lingering connection takes.
  bool DropAvailable();

  // The two ends' numeric addresses and ports, looked up once.
  void Addresses(std::string& remote_ip, int& remote_port, std::string& local_ip, int& local_port);

 private:
  // Drops the first n unread bytes; a large buffer is given back.
  void Consume(std::size_t n);

  int socket_;
  bool addresses_known_ = false;
  std::string remote_ip_, local_ip_;
  int remote_port_ = 0, local_port_ = 0;
  std::string unread_;
  std::size_t unread_start_ = 0;
  std::size_t request_left_ = 0;
  std::size_t request_start_ = 0;  // where the current request begins in unread_
  std::size_t request_size_ = 0;
  bool parked_ = false;
  bool resumed_ = false;
  std::chrono::system_clock::time_point due_{};
  std::shared_ptr<void> hold_;
  bool in_request_ = false;
  bool continue_sent_ = false;
  bool lingering_ = false;
  Clock::time_point linger_until_{};
  std::size_t dropped_ = 0;  // bytes dropped while lingering
  Clock::time_point deadline_{};
  Clock::time_point idle_since_;
  int requests_served_ = 0;
};

// The connection as cpp-httplib reads and writes it while a worker answers
// one request: reads hand out the request's bytes, already read whole, and
// then the end of the stream, so the parser never waits on the socket nor
// reads into the next request; every write waits at most until the
// request's deadline. Small writes (an answer's head, then its body) are
// gathered and go out together at Flush.
class DeadlineStream final : public httplib::Stream {
 public:
  DeadlineStream(Connection& connection, Clock::time_point deadline)
      : connection_(connection), deadline_(deadline) {}

  bool is_readable() const override;
  bool is_writable() const override;
  ssize_t read(char* ptr, size_t size) override;
  ssize_t write(const char* ptr, size_t size) override;
  void get_remote_ip_and_port(std::string& ip, int& port) const override;
  void get_local_ip_and_port(std::string& ip, int& port) const override;
  socket_t socket() const override { return connection_.Socket(); }

  // Sends what was gathered; false when it could not go out by the deadline.
  bool Flush();
  // Drops what was gathered; false when some of it has gone out already.
  bool Discard();

 private:
  bool SendAll(const char* data, std::size_t size);

  Connection& connection_;
  Clock::time_point deadline_;
  std::string gathered_;
  bool sent_ = false;  // some of the answer has gone out
};

}  // namespace kestrova::server
