#include "media/ffmpeg_log.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <iostream>
#include <string>

#include "media/ffmpeg_handles.h"

namespace kestrova::server::media {
namespace {

constexpr int kLineBytes = 1024;

// The installed log; FFmpeg's callback has no user pointer.
std::atomic<FfmpegLog*> installed{nullptr};

void Callback(void* context, int level, const char* format, va_list arguments) {
  if (level > AV_LOG_WARNING) return;
  FfmpegLog* log = installed.load();
  if (log == nullptr) return;
  char line[kLineBytes];
  int prefix = 1;
  av_log_format_line2(context, level, format, arguments, line, sizeof line, &prefix);
  log->Write(line);
}

}  // namespace

FfmpegLog::FfmpegLog() {
  installed.store(this);
  av_log_set_callback(Callback);
}

FfmpegLog::~FfmpegLog() {
  av_log_set_callback(av_log_default_callback);
  installed.store(nullptr);
}

void FfmpegLog::Write(const char* line) {
  std::string text(line);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  if (text.empty()) return;
  const auto now = std::chrono::steady_clock::now();
  long dropped = 0;
  {
    const std::lock_guard lock(mutex_);
    if (now - window_start_ >= kWindow) {
      window_start_ = now;
      written_ = 0;
    }
    if (written_ >= kLinesPerWindow) {
      ++dropped_;
      return;
    }
    ++written_;
    dropped = dropped_;
    dropped_ = 0;
  }
  std::string out = "kestrova-server: ffmpeg: " + text;
  if (dropped > 0) out += " (" + std::to_string(dropped) + " earlier lines not shown)";
  out += "\n";
  std::cerr << out << std::flush;
}

}  // namespace kestrova::server::media
