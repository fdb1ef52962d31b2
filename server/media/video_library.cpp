#include "media/video_library.h"

#include <iostream>
#include <system_error>

#include "media/video_transcoder.h"
#include "stream_qualities.h"

namespace kestrova::server::media {

VideoLibrary::VideoLibrary(std::filesystem::path folder, std::filesystem::path cache)
    : folder_(std::move(folder)), cache_(std::move(cache)) {}

VideoLibrary::~VideoLibrary() {
  {
    const std::lock_guard lock(mutex_);
    stop_.store(true);
  }
  work_.notify_all();
  if (thread_.joinable()) thread_.join();
}

std::optional<std::filesystem::path> VideoLibrary::SourceOf(int video) const {
  if (folder_.empty()) return std::nullopt;
  std::error_code ec;
  const std::string stem = std::to_string(video);
  for (std::filesystem::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->is_regular_file(ec) && it->path().stem() == stem) return it->path();
  }
  return std::nullopt;
}

VideoLibrary::Lookup VideoLibrary::Find(int video, int quality) {
  const auto source = SourceOf(video);
  if (!source) return {};
  std::error_code ec;
  const auto size = std::filesystem::file_size(*source, ec);
  const auto time = std::filesystem::last_write_time(*source, ec).time_since_epoch().count();
  if (ec) return {};
  const std::filesystem::path file = cache_ / (std::to_string(video) + "-q" + std::to_string(ServedQuality(quality)) +
                                               "-" + std::to_string(size) + "-" + std::to_string(time) + ".ogv");
  const std::lock_guard lock(mutex_);
  if (failed_.count(file) != 0) return {State::kFailed, {}};
  if (busy_.count(file) != 0) return {State::kPreparing, {}};
  if (std::filesystem::is_regular_file(file, ec)) return {State::kReady, file};
  if (stop_.load()) return {State::kFailed, {}};
  busy_.insert(file);
  queue_.push_back(Job{*source, file, ServedQuality(quality)});
  // Started on a request thread, so it inherits that thread's blocked signals.
  if (!thread_.joinable()) thread_ = std::thread([this] { Transcoder(); });
  work_.notify_all();
  return {State::kPreparing, {}};
}

void VideoLibrary::Transcoder() {
  std::unique_lock lock(mutex_);
  for (;;) {
    work_.wait(lock, [this] { return stop_.load() || !queue_.empty(); });
    if (stop_.load()) return;
    const Job job = queue_.front();
    queue_.pop_front();
    lock.unlock();
    std::error_code ec;
    std::filesystem::create_directories(job.file.parent_path(), ec);
    // Made under a temporary name and renamed, so that a half-made file is
    // never served.
    const std::filesystem::path part = job.file.string() + ".part";
    std::string why = TranscodeVideo(job.source, job.quality, part, stop_);
    if (why.empty()) {
      std::filesystem::rename(part, job.file, ec);
      if (ec) why = "cannot keep " + job.file.string() + ": " + ec.message();
    }
    if (!why.empty()) {
      std::filesystem::remove(part, ec);
      if (!stop_.load()) std::cerr << ("kestrova-server: video " + job.source.string() + ": " + why + "\n") << std::flush;
    }
    lock.lock();
    busy_.erase(job.file);
    if (!why.empty() && !stop_.load()) failed_.insert(job.file);
  }
}

}  // namespace kestrova::server::media
