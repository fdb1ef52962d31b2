#include "segment_cache.h"

#include <iostream>

#include "civil_time.h"
#include "segment_encoder/segment_encoder.h"

namespace kestrova::server {

encoder::SegmentRecipe StreamRecipe(int quality, const std::string& name, int clock_start, int seconds) {
  const StreamQuality& q = kStreamQualities[static_cast<std::size_t>(ServedQuality(quality) - 1)];
  encoder::SegmentRecipe recipe;
  recipe.width = q.width;
  recipe.height = q.height;
  recipe.fpsNumerator = q.fps;
  recipe.fpsDenominator = 1;
  recipe.videoQuality = q.video_quality;
  recipe.sampleRate = kStreamSampleRate;
  recipe.channels = kStreamChannels;
  recipe.audioQuality = kStreamAudioQuality;
  recipe.seconds = seconds;
  recipe.channelName = name;
  recipe.clockStart = clock_start;
  return recipe;
}

std::shared_ptr<const EncodedSegment> EncodeSegmentQualities(const SegmentKey& key) {
  auto segment = std::make_shared<EncodedSegment>();
  const int clock_start = LocalMomentOf(key.start).second_of_day;
  for (int quality = 1; quality <= kStreamQualityCount; ++quality) {
    auto bytes = encoder::EncodeSegment(StreamRecipe(quality, key.name, clock_start, key.seconds));
    if (!bytes) {
      std::cerr << "kestrova-server: segment of " << key.name << " at quality " << quality
                << " not encoded: " << bytes.Reason() << "\n";
      return nullptr;
    }
    segment->bytes[static_cast<std::size_t>(quality - 1)] = std::move(*bytes);
  }
  return segment;
}

SegmentCache::~SegmentCache() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

std::shared_ptr<const EncodedSegment> SegmentCache::Get(const SegmentKey& key) {
  std::unique_lock lock(mutex_);
  auto it = entries_.find(key);
  if (it == entries_.end()) {
    entries_.emplace(key, Entry{});
    lock.unlock();
    auto segment = EncodeSegmentQualities(key);
    lock.lock();
    Store(key, segment);
    return segment;
  }
  // Encoded, or being encoded by another request or the encoder thread.
  changed_.wait(lock, [&] {
    it = entries_.find(key);
    return it == entries_.end() || it->second.segment != nullptr;
  });
  if (it == entries_.end()) return nullptr;  // that encoding failed
  it->second.last_use = ++use_counter_;
  return it->second.segment;
}

void SegmentCache::Prefetch(const SegmentKey& key) {
  {
    const std::lock_guard lock(mutex_);
    if (stopping_ || !entries_.emplace(key, Entry{}).second) return;
    queue_.push_back(key);
    // Started by the first request that needs it, on a request thread, so
    // it inherits that thread's blocked signals (the server's signal thread
    // alone takes SIGINT and SIGTERM).
    if (!thread_.joinable()) thread_ = std::thread([this] { EncoderThread(); });
  }
  changed_.notify_all();
}

void SegmentCache::EncoderThread() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
    if (stopping_) return;
    const SegmentKey key = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    auto segment = EncodeSegmentQualities(key);
    lock.lock();
    Store(key, std::move(segment));
  }
}

void SegmentCache::Store(const SegmentKey& key, std::shared_ptr<const EncodedSegment> segment) {
  if (segment == nullptr) {
    entries_.erase(key);
  } else {
    Entry& entry = entries_[key];
    entry.segment = std::move(segment);
    entry.last_use = ++use_counter_;
    DropOldest();
  }
  changed_.notify_all();
}

void SegmentCache::DropOldest() {
  while (entries_.size() > kMaxSegments) {
    auto oldest = entries_.end();
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
      if (it->second.segment == nullptr) continue;  // being encoded: someone waits for it
      if (oldest == entries_.end() || it->second.last_use < oldest->second.last_use) oldest = it;
    }
    if (oldest == entries_.end()) return;
    entries_.erase(oldest);
  }
}

}  // namespace kestrova::server
