#include "request_log.h"

#include <fcntl.h>
#include <unistd.h>

namespace kestrova::server {
namespace {

// Request lines carry passwords and session keys: the file is the owner's only.
constexpr mode_t kLogFileMode = 0600;

}  // namespace

bool RequestLog::Open(const std::string& file) {
  if (file.empty()) return true;
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, kLogFileMode);
  if (fd < 0) return false;
  std::FILE* stream = ::fdopen(fd, "a");
  if (stream == nullptr) {
    ::close(fd);
    return false;
  }
  std::lock_guard lock(mutex_);
  file_.reset(stream);
  return true;
}

void RequestLog::Record(std::string_view target) {
  // Anybody can send long targets without logging in: they must not grow
  // the server's memory without bound.
  target = target.substr(0, kTargetLimit);
  std::lock_guard lock(mutex_);
  targets_.emplace_back(target);
  bytes_ += target.size();
  while (!targets_.empty() && (targets_.size() > kMemoryLimit || bytes_ > kMemoryBytes)) {
    bytes_ -= targets_.front().size();
    targets_.pop_front();
  }
  if (file_) {
    std::fwrite(target.data(), 1, target.size(), file_.get());
    std::fputc('\n', file_.get());
    std::fflush(file_.get());
  }
}

std::vector<std::string> RequestLog::Snapshot(bool clear) {
  std::lock_guard lock(mutex_);
  std::vector<std::string> targets(targets_.begin(), targets_.end());
  if (clear) {
    targets_.clear();
    bytes_ = 0;
  }
  return targets;
}

std::size_t RequestLog::MemoryBytes() {
  std::lock_guard lock(mutex_);
  return bytes_;
}

}  // namespace kestrova::server
