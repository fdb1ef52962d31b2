// Every request line target the server received ("/login.php?login=..."), in
// order: kept in memory for the log's read-out and, when a file is given,
// appended to it (one target per line), so that tests can compare the
// client's request lines. Secrets never reach either: the values of the
// query keys that carry them (password, session key, stream key, gift code)
// are recorded as "*", the key names staying as sent.
#pragma once

#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova::server {

class RequestLog {
 public:
  // An empty file name keeps the log in memory only. False from Open when the
  // file cannot be opened.
  bool Open(const std::string& file);

  void Record(std::string_view target);
  // The recorded targets, oldest first; with clear the memory is emptied in
  // the same step.
  std::vector<std::string> Snapshot(bool clear);

  // The memory keeps at most this many recent targets and this many bytes
  // of them (the oldest go first); the file keeps all. A target longer than
  // kTargetLimit is kept cut to that length, in memory and in the file.
  static constexpr std::size_t kMemoryLimit = 100000;
  static constexpr std::size_t kMemoryBytes = std::size_t{8} * 1024 * 1024;
  static constexpr std::size_t kTargetLimit = 2048;

  std::size_t MemoryBytes();

 private:
  struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };

  std::mutex mutex_;  // guards everything below
  std::deque<std::string> targets_;
  std::size_t bytes_ = 0;  // the sizes of targets_ added up
  std::unique_ptr<std::FILE, FileCloser> file_;
};

}  // namespace kestrova::server
