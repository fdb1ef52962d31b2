// Every request line target the server received ("/login.php?login=..."), in
// order: kept in memory for the loopback-only log endpoint and, when a file is
// given, appended to it (one target per line), so that tests can compare the
// client's request lines exactly.
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

  // The memory keeps at most this many recent targets; the file keeps all.
  static constexpr std::size_t kMemoryLimit = 100000;

 private:
  struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };

  std::mutex mutex_;  // guards everything below
  std::deque<std::string> targets_;
  std::unique_ptr<std::FILE, FileCloser> file_;
};

}  // namespace kestrova::server
