// Reads the queued segment files one at a time: splits each into Ogg pages,
// finds its Theora and Vorbis streams, reads their headers, and then, block
// after block, fills one frame period of PCM and decodes one picture packet.
// Runs on the playback thread (or on the thread that queues the first
// segment); only the decoders are shared, under the video stream's lock.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>

#include "platform/status.h"
#include "player/ogg_handles.h"
#include "player/segment_events.h"
#include "player/segment_queue.h"
#include "player/theora_stream.h"
#include "player/vorbis_stream.h"

namespace kestrova::player {

class SegmentReader {
 public:
  SegmentReader(TheoraStream& video, VorbisStream& audio);
  SegmentReader(const SegmentReader&) = delete;
  SegmentReader& operator=(const SegmentReader&) = delete;

  // Where notifications 26 and 27 go; none until the view is attached.
  void SetEvents(SegmentEvents* events) { events_ = events; }
  SegmentQueue& Queue() { return queue_; }
  const SegmentQueue& Queue() const { return queue_; }

  // Opens queue entry 0, reads its headers and prepares the decoders. Fails
  // when the queue is empty, the file cannot be opened, or the segment's
  // streams or headers cannot be read (the file then stays open: the caller
  // refuses the segment).
  platform::Status OpenSegment();

  // Fills `block` completely with PCM and decodes one picture packet. False
  // at the end of the segment, or when its picture packet is refused; a partly
  // filled block is then dropped.
  [[nodiscard]] bool ReadBlock(std::span<std::uint8_t> block);

  // Between segments: the streams' info and comment records and the page
  // framing start afresh; decoders, synthesis and stream states stay.
  void ResetSegment();

  // A segment played to its end: closes and deletes its file, removes entry 0,
  // resets for the next segment and sends notification 26. An open segment
  // that gave not a single block is refused instead (RefuseSegment).
  void FinishSegment();
  // Entry 0 cannot be played: closes its file if open, deletes it, removes
  // the entry, resets for the next segment and reports SegmentChecked(false).
  void RefuseSegment();

  // Back to the start of the open file, as when the queue ran dry and the
  // segment is to be tried again; false with no open file.
  [[nodiscard]] bool RewindSegment();
  // Closes the open file without deleting it.
  void CloseSegment() { file_.reset(); }
  bool SegmentOpen() const { return file_ != nullptr; }

  int VideoHeaders() const { return videoHeaders_; }
  int AudioHeaders() const { return audioHeaders_; }

 private:
  static constexpr long kReadChunk = 8192;

  struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };

  // Reads the next chunk into the sync buffer; false when nothing was read.
  bool ReadChunk();
  // Gives a page to the streams found so far; libogg ignores other serials.
  void AddPage(ogg_page& page);
  void AddBufferedPages();
  platform::Status ScanStreams();
  platform::Status CompleteHeaders();
  bool HeadersDone() const;

  TheoraStream& video_;
  VorbisStream& audio_;
  SegmentEvents* events_ = nullptr;
  SegmentQueue queue_;
  std::unique_ptr<std::FILE, FileCloser> file_;
  bool endOfData_ = false;
  OggSync sync_;
  int videoHeaders_ = 0;      // 0 until a Theora stream is found
  int audioHeaders_ = 0;      // 0 until a Vorbis stream is found, up to 3
  int videoHeaderResult_ = 0;  // 0 once the first picture packet is reached
  bool blockRead_ = false;     // a block came out of the open segment
};

}  // namespace kestrova::player
