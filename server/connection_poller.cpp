#include "connection_poller.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kestrova::server {
namespace {

constexpr int kMaxEvents = 128;
constexpr int kTickMs = 100;
constexpr auto kSweepPeriod = std::chrono::milliseconds(kTickMs);
constexpr int kRequestTimeout = 408;
constexpr std::string_view kContinue = "HTTP/1.1 100 Continue\r\n\r\n";
// How long a refused connection stays to let its client read the answer.
constexpr auto kLinger = std::chrono::seconds(2);

// The whole answer to a request the poller ends: a status and no body.
std::string Refusal(int status) {
  const char* reason = "Bad Request";
  switch (status) {
    case kRequestTimeout: reason = "Request Timeout"; break;
    case 411: reason = "Length Required"; break;
    case 413: reason = "Payload Too Large"; break;
    case 414: reason = "URI Too Long"; break;
    case 431: reason = "Request Header Fields Too Large"; break;
    default: break;
  }
  return "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\nConnection: close\r\nContent-Length: 0\r\n\r\n";
}

}  // namespace

ConnectionPoller::ConnectionPoller(Limits limits, Ready ready) : limits_(limits), ready_(std::move(ready)) {
  epoll_ = ::epoll_create1(EPOLL_CLOEXEC);
  wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (epoll_ < 0 || wake_ < 0) {
    if (epoll_ >= 0) ::close(epoll_);
    if (wake_ >= 0) ::close(wake_);
    throw std::runtime_error("connection poller: no epoll");
  }
  epoll_event event{};
  event.events = EPOLLIN;
  event.data.fd = wake_;
  ::epoll_ctl(epoll_, EPOLL_CTL_ADD, wake_, &event);
  thread_ = std::thread([this] { Run(); });
}

ConnectionPoller::~ConnectionPoller() {
  Stop();
  ::close(wake_);
  ::close(epoll_);
}

void ConnectionPoller::Park(std::unique_ptr<Connection> connection) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return;  // closed on leaving
    incoming_.push_back(std::move(connection));
  }
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(wake_, &one, sizeof one);
}

void ConnectionPoller::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(wake_, &one, sizeof one);
  if (thread_.joinable()) thread_.join();
}

void ConnectionPoller::Run() {
  std::array<epoll_event, kMaxEvents> events{};
  for (;;) {
    const int count = ::epoll_wait(epoll_, events.data(), kMaxEvents, kTickMs);
    const Clock::time_point now = Clock::now();
    for (int i = 0; i < count; ++i) {
      const int socket = events[static_cast<std::size_t>(i)].data.fd;
      if (socket == wake_) {
        std::uint64_t drained = 0;
        [[maybe_unused]] const ssize_t got = ::read(wake_, &drained, sizeof drained);
      } else {
        OnReadable(socket, now);
      }
    }
    std::vector<std::unique_ptr<Connection>> arrived;
    {
      std::lock_guard lock(mutex_);
      if (stopping_) break;
      arrived.swap(incoming_);
    }
    for (auto& connection : arrived) Adopt(std::move(connection), now);
    if (now - last_sweep_ >= kSweepPeriod) Sweep(now);
  }
  held_.clear();
  std::lock_guard lock(mutex_);
  incoming_.clear();
}

void ConnectionPoller::Adopt(std::unique_ptr<Connection> connection, Clock::time_point now) {
  const int socket = connection->Socket();
  if (connection->Parked()) {
    // Only the client's leaving matters while its request waits.
    epoll_event event{};
    event.events = EPOLLRDHUP;
    event.data.fd = socket;
    if (::epoll_ctl(epoll_, EPOLL_CTL_ADD, socket, &event) != 0) return;  // dropped: closed
    held_[socket] = std::move(connection);
    return;
  }
  // Bytes of the next request may have come with the last one.
  const Next next = Examine(*connection, now);
  if (next == Next::kHandOver) return ready_(std::move(connection));
  if (next == Next::kClose) return;  // dropped: closed
  if (next == Next::kRefused) Linger(*connection, now);
  epoll_event event{};
  event.events = EPOLLIN | EPOLLRDHUP;
  event.data.fd = socket;
  if (::epoll_ctl(epoll_, EPOLL_CTL_ADD, socket, &event) != 0) return;  // dropped: closed
  held_[socket] = std::move(connection);
}

void ConnectionPoller::OnReadable(int socket, Clock::time_point now) {
  const auto it = held_.find(socket);
  if (it == held_.end()) return;
  Connection& connection = *it->second;
  if (connection.Parked()) {
    // The client closed (or broke) its connection: its waiting request is
    // cancelled, and what it held is given back.
    Release(socket);
    return;
  }
  if (connection.Lingering()) {
    if (!connection.DropAvailable()) Release(socket);
    return;
  }
  const bool open = connection.ReadAvailable(limits_.request.MaxRequestBytes());
  const Next next = Examine(connection, now);
  if (next == Next::kHandOver) {
    std::unique_ptr<Connection> whole = std::move(it->second);
    Release(socket);
    ready_(std::move(whole));
  } else if (next == Next::kRefused && open) {
    Linger(connection, now);
  } else if (next != Next::kWait || !open) {
    Release(socket);
  }
}

void ConnectionPoller::Linger(Connection& connection, Clock::time_point now) { connection.Linger(now + kLinger); }

ConnectionPoller::Next ConnectionPoller::Examine(Connection& connection, Clock::time_point now) {
  const RequestFrame frame = connection.Examine(limits_.request);
  if (connection.UnreadSize() == 0) return Next::kWait;  // nothing, or only empty lines
  if (!connection.InRequest()) connection.StartRequest(now, limits_.request_timeout);
  switch (frame.kind) {
    case RequestFrame::Kind::kWhole:
      connection.FrameRequest(frame.size);
      return Next::kHandOver;
    case RequestFrame::Kind::kRefused:
      // Best effort: a client that does not read gets nothing.
      return connection.SendNow(Refusal(frame.status)) ? Next::kRefused : Next::kClose;
    case RequestFrame::Kind::kPartial:
      break;
  }
  if (now >= connection.Deadline()) {
    return connection.SendNow(Refusal(kRequestTimeout)) ? Next::kRefused : Next::kClose;
  }
  if (frame.awaits_continue && !connection.ContinueSent()) {
    connection.MarkContinueSent();
    if (!connection.SendNow(kContinue)) return Next::kClose;
  }
  return Next::kWait;
}

void ConnectionPoller::Release(int socket) {
  ::epoll_ctl(epoll_, EPOLL_CTL_DEL, socket, nullptr);
  held_.erase(socket);
}

void ConnectionPoller::Sweep(Clock::time_point now) {
  last_sweep_ = now;
  const auto wall_now = std::chrono::system_clock::now();
  for (auto it = held_.begin(); it != held_.end();) {
    Connection& connection = *it->second;
    if (connection.Parked()) {
      if (wall_now < connection.Due()) {
        ++it;
        continue;
      }
      ::epoll_ctl(epoll_, EPOLL_CTL_DEL, connection.Socket(), nullptr);
      std::unique_ptr<Connection> due = std::move(it->second);
      it = held_.erase(it);
      due->Resume(now, limits_.request_timeout);
      ready_(std::move(due));
      continue;
    }
    const bool lingered = connection.Lingering() && now >= connection.LingerUntil();
    const bool late = !connection.Lingering() && connection.InRequest() && now >= connection.Deadline();
    const bool idle_too_long =
        !connection.Lingering() && !connection.InRequest() && now - connection.IdleSince() >= limits_.keep_alive;
    // Best effort: a client that sends this slowly may not read either.
    if (late && connection.SendNow(Refusal(kRequestTimeout))) {
      Linger(connection, now);
      ++it;
      continue;
    }
    if (!lingered && !late && !idle_too_long) {
      ++it;
      continue;
    }
    ::epoll_ctl(epoll_, EPOLL_CTL_DEL, connection.Socket(), nullptr);
    it = held_.erase(it);
  }
}

}  // namespace kestrova::server
