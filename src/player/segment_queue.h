// The segments waiting to be played: downloaded files with the name of the
// programme they belong to. Entry 0 is the segment being played. The stream
// worker appends while the playback thread reads and removes entry 0, so
// every operation takes the queue's own lock.
#pragma once

#include <cstddef>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>

namespace kestrova::player {

struct SegmentEntry {
  std::filesystem::path file;
  std::wstring programme;
};

class SegmentQueue {
 public:
  void Append(SegmentEntry entry);
  std::optional<SegmentEntry> Front() const;
  std::size_t Size() const;
  // Removes entry 0 and deletes its file.
  void DropFront();
  // Deletes the file of every entry and empties the queue.
  void DropAll();
  // Empties the queue and leaves the files in place.
  void Clear();

 private:
  mutable std::mutex lock_;  // guards entries_
  std::deque<SegmentEntry> entries_;
};

}  // namespace kestrova::player
