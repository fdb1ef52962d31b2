// The catalogue's on-demand videos as real files: "<video id>.<any
// extension>" in the videos folder. Each is transcoded once per quality
// (VideoTranscoder) into the cache folder, named after the source's size and
// time so that a replaced file is made again; on the library's own thread
// (Transcoder), one at a time, so that requests never wait for it in a
// worker. Destroying the library stops a transcoding under way.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>

namespace kestrova::server::media {

class VideoLibrary {
 public:
  enum class State { kNoFile, kReady, kPreparing, kFailed };
  struct Lookup {
    State state = State::kNoFile;
    std::filesystem::path file;  // kReady: the transcoded file
  };

  // An empty folder: no video has a file.
  VideoLibrary(std::filesystem::path folder, std::filesystem::path cache);
  ~VideoLibrary();
  VideoLibrary(const VideoLibrary&) = delete;
  VideoLibrary& operator=(const VideoLibrary&) = delete;

  // Where the video stands in the quality; queues its transcoding when it
  // has a file that is not transcoded yet.
  Lookup Find(int video, int quality);

 private:
  struct Job {
    std::filesystem::path source;
    std::filesystem::path file;  // in the cache
    int quality = 0;
  };

  std::optional<std::filesystem::path> SourceOf(int video) const;
  void Transcoder();  // the library's thread

  std::filesystem::path folder_;
  std::filesystem::path cache_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;  // guards queue_, busy_, failed_, thread_
  std::condition_variable work_;
  std::deque<Job> queue_;
  std::set<std::filesystem::path> busy_;    // cache files queued or being made
  std::set<std::filesystem::path> failed_;  // cache files that could not be made
  std::thread thread_;
};

}  // namespace kestrova::server::media
