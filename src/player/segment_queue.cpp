#include "player/segment_queue.h"

#include <system_error>
#include <utility>

namespace kestrova::player {
namespace {

// A file that is already gone is not a failure: the segment is consumed.
void DeleteSegmentFile(const std::filesystem::path& file) {
  std::error_code ignored;
  std::filesystem::remove(file, ignored);
}

}  // namespace

void SegmentQueue::Append(SegmentEntry entry) {
  const std::lock_guard guard(lock_);
  entries_.push_back(std::move(entry));
}

std::optional<SegmentEntry> SegmentQueue::Front() const {
  const std::lock_guard guard(lock_);
  if (entries_.empty()) return std::nullopt;
  return entries_.front();
}

std::size_t SegmentQueue::Size() const {
  const std::lock_guard guard(lock_);
  return entries_.size();
}

void SegmentQueue::DropFront() {
  const std::lock_guard guard(lock_);
  if (entries_.empty()) return;
  DeleteSegmentFile(entries_.front().file);
  entries_.pop_front();
}

void SegmentQueue::DropAll() {
  const std::lock_guard guard(lock_);
  for (const auto& entry : entries_) DeleteSegmentFile(entry.file);
  entries_.clear();
}

void SegmentQueue::Clear() {
  const std::lock_guard guard(lock_);
  entries_.clear();
}

}  // namespace kestrova::player
