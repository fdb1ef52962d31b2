// Where the stream session hands the live segments it downloads: the view's
// player while there is one. Called on the stream worker thread while the
// user-interface thread may create or delete the player, so an
// implementation guards its player against that.
#pragma once

#include <filesystem>
#include <string>

namespace kestrova::net {

class SegmentSink {
 public:
  virtual ~SegmentSink() = default;
  // Queues a downloaded segment file with the name of its programme and
  // takes the file over (the player deletes it once played). False when
  // there is no player to take it: the caller deletes the file.
  [[nodiscard]] virtual bool QueueSegment(const std::filesystem::path& file, const std::wstring& programme) = 0;

 protected:
  SegmentSink() = default;
  SegmentSink(const SegmentSink&) = default;
  SegmentSink& operator=(const SegmentSink&) = default;
};

}  // namespace kestrova::net
