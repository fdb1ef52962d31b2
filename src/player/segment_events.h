// What the segment reader tells the view while playing. The view implements
// it by sending its window WM_NET_RESULT with the id and a RequestResult
// (ok flag 1, message = the programme name) for a segment opened, followed by
// WM_NET_DONE; and WM_NET_RESULT with the id and no result for a segment
// played to its end. Both are delivered synchronously on the reading thread.
#pragma once

#include <string>

namespace kestrova::player {

inline constexpr int kSegmentFinishedId = 26;
inline constexpr int kSegmentOpenedId = 27;

class SegmentEvents {
 public:
  virtual ~SegmentEvents() = default;
  // Notification 27: a segment file was opened; its programme name.
  virtual void SegmentOpened(const std::wstring& programme) = 0;
  // Notification 26: a segment was played to its end, before the next opens.
  virtual void SegmentFinished() = 0;
};

}  // namespace kestrova::player
