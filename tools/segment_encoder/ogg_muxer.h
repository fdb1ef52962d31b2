// Gathers the pages of a segment's logical streams and writes them as one
// Ogg file: every stream's first page (in the order the streams were added),
// then the remaining header pages, then the data pages of all streams in the
// order of their time.
#pragma once

#include <ogg/ogg.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kestrova::encoder {

class OggStreamWriter {
 public:
  explicit OggStreamWriter(std::uint32_t serial);
  ~OggStreamWriter();
  OggStreamWriter(const OggStreamWriter&) = delete;
  OggStreamWriter& operator=(const OggStreamWriter&) = delete;

  void PacketIn(ogg_packet& packet) { ogg_stream_packetin(&state_, &packet); }
  ogg_stream_state* get() { return &state_; }

 private:
  ogg_stream_state state_{};
};

class OggMuxer {
 public:
  // Seconds of a granule position of one stream.
  using GranuleTime = std::function<double(std::int64_t granule)>;

  // Returns the stream's index. Its header packets must be given before
  // EndHeaders, its data packets after.
  int AddStream(std::uint32_t serial, GranuleTime time);
  OggStreamWriter& Stream(int index) { return *streams_[static_cast<std::size_t>(index)].writer; }
  // A header packet of a stream; the first (b_o_s) gets a page of its own.
  void HeaderPacket(int index, ogg_packet& packet);
  // Flushes the other header pages of every stream.
  void EndHeaders();
  // Collects the pages the stream's packets have filled; `flush` forces the
  // last partial page out (at the end of the stream).
  void CollectPages(int index, bool flush);
  // The whole file.
  std::string Finish();

 private:
  struct Page {
    double time = 0.0;
    int stream = 0;
    std::string bytes;
  };
  struct StreamEntry {
    std::unique_ptr<OggStreamWriter> writer;
    GranuleTime time;
    double lastTime = 0.0;
  };

  static std::string PageBytes(const ogg_page& page);

  std::vector<StreamEntry> streams_;
  std::string firstPages_;   // one per stream, in the order they were given
  std::string headerPages_;  // the other header pages
  std::vector<Page> pages_;
};

}  // namespace kestrova::encoder
