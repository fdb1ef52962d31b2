// What the segment reader tells the view while playing. The view hands the
// player screen a result with the id and a RequestResult (ok flag 1,
// message = the programme name) for a segment opened, and repaints; and the
// id with no result for a segment played to its end. Every segment is also judged once: it plays, or it is
// dropped unplayed, so that the player screen can tell a stream that has gone
// bad from one that plays. All are delivered synchronously on the reading
// thread; a handler must not Pause or Stop the player, which waits for it.
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
  // The verdict on a segment: true when its first block of sound and picture
  // came out; false when it was dropped unplayed (its file cannot be opened,
  // its streams or headers cannot be read, it has no sound to pace it, or not
  // one block came out of it). A dropped segment sends no notification 26.
  virtual void SegmentChecked(bool plays) = 0;
};

}  // namespace kestrova::player
