// The segments the stream control script sends, encoded by the server itself
// and kept in memory: each one a test card (name, running clock) with a tone,
// in every stream quality. A segment is encoded when it is first asked for,
// or ahead of time on the cache's own encoder thread (EncoderThread), so that a client's
// next segment is usually ready before it asks. Least recently used segments
// are dropped beyond a fixed number.
#pragma once

#include <array>
#include <compare>
#include <condition_variable>
#include <ctime>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "stream_qualities.h"

namespace kestrova::server {

struct SegmentKey {
  int record = 0;           // channel (or video) id
  std::time_t start = 0;    // the moment the card's clock starts at
  int seconds = 0;          // length
  std::string name;         // on the card, UTF-8

  auto operator<=>(const SegmentKey&) const = default;
};

// One segment in every quality; index = quality number - 1.
struct EncodedSegment {
  std::array<std::string, kStreamQualityCount> bytes;

  const std::string& At(int quality) const { return bytes[static_cast<std::size_t>(quality - 1)]; }
};

// Encodes the segment in every quality on the calling thread; null when an
// encoder fails.
std::shared_ptr<const EncodedSegment> EncodeSegmentQualities(const SegmentKey& key);

class SegmentCache {
 public:
  static constexpr std::size_t kMaxSegments = 48;

  SegmentCache() = default;
  // Ends the encoder thread after the segment it is encoding.
  ~SegmentCache();
  SegmentCache(const SegmentCache&) = delete;
  SegmentCache& operator=(const SegmentCache&) = delete;

  // The segment: from memory, after waiting for an encoding under way, or
  // encoded now on the calling thread. Null when encoding failed.
  std::shared_ptr<const EncodedSegment> Get(const SegmentKey& key);
  // Queues the segment for the encoder thread unless it is known already.
  void Prefetch(const SegmentKey& key);

 private:
  struct Entry {
    std::shared_ptr<const EncodedSegment> segment;  // null while being encoded
    std::uint64_t last_use = 0;
  };

  // The encoder thread: encodes queued segments one after another.
  void EncoderThread();
  // Stores an encoding's outcome (a failure removes the entry) and wakes
  // those waiting for it. Called with the lock held.
  void Store(const SegmentKey& key, std::shared_ptr<const EncodedSegment> segment);
  void DropOldest();

  // Guards everything below it.
  std::mutex mutex_;
  std::condition_variable changed_;
  std::map<SegmentKey, Entry> entries_;
  std::deque<SegmentKey> queue_;
  std::uint64_t use_counter_ = 0;
  bool stopping_ = false;
  // The encoder thread, started with the first prefetch.
  std::thread thread_;
};

}  // namespace kestrova::server
