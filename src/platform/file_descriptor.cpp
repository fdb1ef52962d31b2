#include "platform/file_descriptor.h"

#include <unistd.h>

#include <cerrno>
#include <utility>

namespace kestrova::platform {

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    static_cast<void>(Close());  // replaced: nobody to tell, as in the destructor
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

bool FileDescriptor::Close() {
  if (fd_ < 0) return true;
  const bool closed = ::close(fd_) == 0;
  fd_ = -1;
  return closed;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace kestrova::platform
