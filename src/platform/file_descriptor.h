// An owned POSIX file descriptor, and writing a whole block to one. Used by
// every file the program writes itself: answer and segment files, the
// registry file, SMS spool files.
#pragma once

#include <cstddef>
#include <string_view>

namespace kestrova::platform {

class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : fd_(fd) {}
  // A destructor has nobody to tell: callers that care call Close first.
  ~FileDescriptor() { static_cast<void>(Close()); }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;

  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  // Closes now; false when the close reported an error (data may not have
  // reached the disk). Closing an invalid descriptor succeeds.
  [[nodiscard]] bool Close();

 private:
  int fd_ = -1;
};

// Writes every byte, retrying after interruptions and short writes; false on
// any error or when nothing more can be written.
[[nodiscard]] bool WriteAll(int fd, std::string_view bytes);

}  // namespace kestrova::platform
