#include "spool_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

namespace kestrova::server {
namespace {

constexpr std::uint32_t kEvents = IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_MODIFY | IN_DELETE;
constexpr std::size_t kEventBufferSize = 16 * 1024;

}  // namespace

SpoolWatch::SpoolWatch(std::filesystem::path folder)
    : folder_(std::move(folder)), inotify_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
  if (inotify_ < 0) {
    std::cerr << "kestrova-server: cannot watch the SMS spool (" << std::strerror(errno)
              << "); messages are read once they stop changing\n";
    return;
  }
  Watch();
}

SpoolWatch::~SpoolWatch() {
  if (inotify_ >= 0) ::close(inotify_);
}

void SpoolWatch::Watch() {
  watch_ = ::inotify_add_watch(inotify_, folder_.c_str(), kEvents);
}

void SpoolWatch::Drain() {
  if (inotify_ < 0) return;
  if (watch_ < 0) Watch();  // the folder was removed and may be back
  alignas(inotify_event) char buffer[kEventBufferSize];
  for (;;) {
    const ssize_t length = ::read(inotify_, buffer, sizeof buffer);
    if (length <= 0) return;  // EAGAIN: nothing more for now
    for (ssize_t at = 0; at < length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      Take(event->mask, event->len > 0 ? std::string(event->name) : std::string());
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
}

void SpoolWatch::Take(std::uint32_t mask, const std::string& name) {
  if ((mask & IN_Q_OVERFLOW) != 0) {
    // Events were lost: what was vouched for may have changed since.
    arrived_.clear();
  } else if ((mask & IN_IGNORED) != 0) {
    arrived_.clear();
    watch_ = -1;
  } else if ((mask & IN_MOVED_TO) != 0) {
    arrived_.insert(name);
  } else if (!name.empty()) {
    // Written to, made anew in place, or gone.
    arrived_.erase(name);
  }
}

}  // namespace kestrova::server
