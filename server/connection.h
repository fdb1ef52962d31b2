// One client connection of the HTTP front end: its socket, the bytes read
// but not yet used, and the times that bound it. It moves between the
// poller (idle, or a request arriving) and a worker (a request being
// answered); whoever holds it owns it, and dropping it closes the socket.
#pragma once

#include <httplib.h>

#include <chrono>
#include <cstddef>
#include <string>

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

  // Reads what the socket has without waiting. False on end of stream or an
  // error; the bytes go to the unread text.
  bool ReadAvailable(std::size_t limit);
  // The unread text holds a whole request head (line and headers).
  bool HasRequestHead() const;
  std::size_t UnreadSize() const { return unread_.size() - unread_start_; }
  // Takes up to size unread bytes; returns how many.
  std::size_t TakeUnread(char* out, std::size_t size);
  // Appends what recv gives, waiting at most until deadline. -1 on time-out
  // or error, 0 at the end of the stream.
  long ReadMore(Clock::time_point deadline);

  // A request began: its first byte came at now, so it must be answered by
  // now + timeout.
  void StartRequest(Clock::time_point now, Clock::duration timeout);
  bool InRequest() const { return in_request_; }
  Clock::time_point Deadline() const { return deadline_; }
  // The answer went out; the connection waits for its next request.
  void FinishRequest(Clock::time_point now);
  Clock::time_point IdleSince() const { return idle_since_; }
  int RequestsServed() const { return requests_served_; }

  // The two ends' numeric addresses and ports, looked up once.
  void Addresses(std::string& remote_ip, int& remote_port, std::string& local_ip, int& local_port);

 private:
  int socket_;
  bool addresses_known_ = false;
  std::string remote_ip_, local_ip_;
  int remote_port_ = 0, local_port_ = 0;
  std::string unread_;
  std::size_t unread_start_ = 0;
  bool in_request_ = false;
  Clock::time_point deadline_{};
  Clock::time_point idle_since_;
  int requests_served_ = 0;
};

// The connection as cpp-httplib reads and writes it while a worker answers
// one request: every read and write waits at most until the request's
// deadline, however slowly the bytes come. Small writes (an answer's head,
// then its body) are gathered and go out together at Flush.
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

 private:
  bool SendAll(const char* data, std::size_t size);

  Connection& connection_;
  Clock::time_point deadline_;
  std::string gathered_;
};

}  // namespace kestrova::server
