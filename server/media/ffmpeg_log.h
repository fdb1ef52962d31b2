// FFmpeg's own messages as our log lines: warnings and errors only, each
// prefixed like every line of the server, and at most a few a second, so a
// corrupt stream cannot write thousands of lines. FFmpeg takes one callback
// for the whole process; the object that installs it is the one place that
// holds the rate limit, and while it lives FFmpeg writes nothing to standard
// error by itself.
#pragma once

#include <chrono>
#include <mutex>

namespace kestrova::server::media {

class FfmpegLog {
 public:
  static constexpr int kLinesPerWindow = 20;
  static constexpr std::chrono::seconds kWindow{10};

  FfmpegLog();
  ~FfmpegLog();
  FfmpegLog(const FfmpegLog&) = delete;
  FfmpegLog& operator=(const FfmpegLog&) = delete;

  // Writes one line unless the window's budget is spent (the count of
  // dropped lines is reported with the next line written).
  void Write(const char* line);

 private:
  std::mutex mutex_;  // guards the fields below
  std::chrono::steady_clock::time_point window_start_{};
  int written_ = 0;
  long dropped_ = 0;
};

}  // namespace kestrova::server::media
