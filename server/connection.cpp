#include "connection.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace kestrova::server {
namespace {

constexpr std::size_t kReadChunk = 16 * 1024;
// A connection's buffer keeps at most this much room between requests.
constexpr std::size_t kKeptBufferBytes = 16 * 1024;
// A refused client may still be sending a long head or body; past this much
// it is cut off.
constexpr std::size_t kMaxDroppedBytes = std::size_t{4} * 1024 * 1024;
// Writes are gathered up to this size before they go out.
constexpr std::size_t kGatherBytes = 16 * 1024;

// Waits until the socket is ready for events or the deadline passes.
bool WaitUntil(int socket, short events, Clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd p{socket, events, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, INT32_MAX)));
    if (ready > 0) return (p.revents & (events | POLLHUP | POLLERR)) != 0;
    if (ready < 0 && errno != EINTR) return false;
  }
}

void AddressText(const sockaddr_storage& address, socklen_t length, std::string& ip, int& port) {
  std::array<char, NI_MAXHOST> host{};
  std::array<char, NI_MAXSERV> service{};
  if (::getnameinfo(reinterpret_cast<const sockaddr*>(&address), length, host.data(), host.size(), service.data(),
                    service.size(), NI_NUMERICHOST | NI_NUMERICSERV) == 0) {
    ip = host.data();
    port = std::atoi(service.data());
  }
}

}  // namespace

Connection::Connection(int socket, Clock::time_point now) : socket_(socket), idle_since_(now) {
  const int flags = ::fcntl(socket_, F_GETFL, 0);
  if (flags >= 0) ::fcntl(socket_, F_SETFL, flags | O_NONBLOCK);
  // An answer's head and body go out as two writes: neither waits for the
  // client's acknowledgement of the other.
  const int yes = 1;
  ::setsockopt(socket_, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
}

Connection::~Connection() {
  ::shutdown(socket_, SHUT_RDWR);
  ::close(socket_);
}

bool Connection::ReadAvailable(std::size_t limit) {
  // What was used goes first, so that the buffer holds only unread bytes.
  if (unread_start_ > 0) Consume(0);
  std::array<char, kReadChunk> chunk{};
  while (UnreadSize() < limit) {
    const ssize_t got = ::recv(socket_, chunk.data(), chunk.size(), MSG_DONTWAIT);
    if (got > 0) {
      unread_.append(chunk.data(), static_cast<std::size_t>(got));
      // Less than asked for: the socket is drained for now (sparing the
      // call that would only say so); epoll reports what comes later.
      if (static_cast<std::size_t>(got) < chunk.size()) return true;
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    return got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
  }
  return true;
}

RequestFrame Connection::Examine(const RequestLimits& limits) {
  if (request_left_ == 0) unread_start_ += LeadingEmptyLines(std::string_view(unread_).substr(unread_start_));
  return ExamineRequest(std::string_view(unread_).substr(unread_start_), limits);
}

std::size_t Connection::TakeRequest(char* out, std::size_t size) {
  const std::size_t n = std::min(size, request_left_);
  std::memcpy(out, unread_.data() + unread_start_, n);
  request_left_ -= n;
  unread_start_ += n;
  return n;
}

void Connection::Consume(std::size_t n) {
  unread_start_ += std::min(n, UnreadSize());
  const std::string_view rest = std::string_view(unread_).substr(unread_start_);
  if (unread_.capacity() > kKeptBufferBytes) {
    // After a large request an idle connection keeps no large buffer.
    unread_ = std::string(rest);
  } else {
    unread_.erase(0, unread_start_);
  }
  unread_start_ = 0;
}

bool Connection::SendNow(std::string_view bytes) {
  const ssize_t sent = ::send(socket_, bytes.data(), bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
  return sent == static_cast<ssize_t>(bytes.size());
}

void Connection::Linger(Clock::time_point until) {
  ::shutdown(socket_, SHUT_WR);
  std::string().swap(unread_);
  unread_start_ = 0;
  request_left_ = 0;
  in_request_ = false;
  lingering_ = true;
  linger_until_ = until;
}

bool Connection::DropAvailable() {
  std::array<char, kReadChunk> chunk{};
  for (;;) {
    const ssize_t got = ::recv(socket_, chunk.data(), chunk.size(), MSG_DONTWAIT);
    if (got > 0) {
      dropped_ += static_cast<std::size_t>(got);
      if (dropped_ > kMaxDroppedBytes) return false;
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    return got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
  }
}

void Connection::Park(std::chrono::system_clock::time_point due, std::shared_ptr<void> hold) {
  unread_start_ = request_start_;
  request_left_ = 0;
  parked_ = true;
  due_ = due;
  hold_ = std::move(hold);
}

void Connection::Resume(Clock::time_point now, Clock::duration timeout) {
  parked_ = false;
  resumed_ = true;
  hold_.reset();
  StartRequest(now, timeout);
  request_left_ = request_size_;
}

void Connection::StartRequest(Clock::time_point now, Clock::duration timeout) {
  in_request_ = true;
  continue_sent_ = false;
  deadline_ = now + timeout;
}

void Connection::FinishRequest(Clock::time_point now) {
  // A body the parser did not read (a GET's) is no next request.
  Consume(request_left_);
  request_left_ = 0;
  in_request_ = false;
  resumed_ = false;
  idle_since_ = now;
  ++requests_served_;
}

void Connection::Addresses(std::string& remote_ip, int& remote_port, std::string& local_ip, int& local_port) {
  if (!addresses_known_) {
    addresses_known_ = true;
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getpeername(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
      AddressText(address, length, remote_ip_, remote_port_);
    }
    length = sizeof address;
    if (::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
      AddressText(address, length, local_ip_, local_port_);
    }
  }
  remote_ip = remote_ip_;
  remote_port = remote_port_;
  local_ip = local_ip_;
  local_port = local_port_;
}

bool DeadlineStream::is_readable() const { return connection_.RequestLeft() > 0; }

bool DeadlineStream::is_writable() const { return WaitUntil(connection_.Socket(), POLLOUT, deadline_); }

ssize_t DeadlineStream::read(char* ptr, size_t size) {
  return static_cast<ssize_t>(connection_.TakeRequest(ptr, size));
}

ssize_t DeadlineStream::write(const char* ptr, size_t size) {
  if (gathered_.size() + size <= kGatherBytes) {
    gathered_.append(ptr, size);
    return static_cast<ssize_t>(size);
  }
  if (!Flush() || !SendAll(ptr, size)) return -1;
  return static_cast<ssize_t>(size);
}

bool DeadlineStream::Flush() {
  const bool sent = SendAll(gathered_.data(), gathered_.size());
  gathered_.clear();
  return sent;
}

bool DeadlineStream::Discard() {
  gathered_.clear();
  return !sent_;
}

bool DeadlineStream::SendAll(const char* data, std::size_t size) {
  if (size > 0) sent_ = true;
  std::size_t sent = 0;
  while (sent < size) {
    const ssize_t n = ::send(connection_.Socket(), data + sent, size - sent, MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK) || !WaitUntil(connection_.Socket(), POLLOUT, deadline_)) {
      return false;
    }
  }
  return true;
}

void DeadlineStream::get_remote_ip_and_port(std::string& ip, int& port) const {
  std::string local_ip;
  int local_port = 0;
  connection_.Addresses(ip, port, local_ip, local_port);
}

void DeadlineStream::get_local_ip_and_port(std::string& ip, int& port) const {
  std::string remote_ip;
  int remote_port = 0;
  connection_.Addresses(remote_ip, remote_port, ip, port);
}

}  // namespace kestrova::server
