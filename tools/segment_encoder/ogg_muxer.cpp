#include "segment_encoder/ogg_muxer.h"

#include <algorithm>

namespace kestrova::encoder {

OggStreamWriter::OggStreamWriter(std::uint32_t serial) { ogg_stream_init(&state_, static_cast<int>(serial)); }

OggStreamWriter::~OggStreamWriter() { ogg_stream_clear(&state_); }

int OggMuxer::AddStream(std::uint32_t serial, GranuleTime time) {
  streams_.push_back(StreamEntry{std::make_unique<OggStreamWriter>(serial), std::move(time), 0.0});
  return static_cast<int>(streams_.size()) - 1;
}

std::string OggMuxer::PageBytes(const ogg_page& page) {
  std::string bytes(reinterpret_cast<const char*>(page.header), static_cast<std::size_t>(page.header_len));
  bytes.append(reinterpret_cast<const char*>(page.body), static_cast<std::size_t>(page.body_len));
  return bytes;
}

void OggMuxer::HeaderPacket(int index, ogg_packet& packet) {
  ogg_stream_state* state = streams_[static_cast<std::size_t>(index)].writer->get();
  ogg_stream_packetin(state, &packet);
  if (packet.b_o_s == 0) return;
  // A stream's first page carries only its identification header.
  ogg_page page;
  while (ogg_stream_flush(state, &page) != 0) firstPages_ += PageBytes(page);
}

void OggMuxer::EndHeaders() {
  ogg_page page;
  for (auto& stream : streams_) {
    while (ogg_stream_flush(stream.writer->get(), &page) != 0) headerPages_ += PageBytes(page);
  }
}

void OggMuxer::CollectPages(int index, bool flush) {
  StreamEntry& stream = streams_[static_cast<std::size_t>(index)];
  ogg_page page;
  for (;;) {
    const int got = flush ? ogg_stream_flush(stream.writer->get(), &page) : ogg_stream_pageout(stream.writer->get(), &page);
    if (got == 0) break;
    const std::int64_t granule = ogg_page_granulepos(&page);
    if (granule >= 0) stream.lastTime = stream.time(granule);
    pages_.push_back(Page{stream.lastTime, index, PageBytes(page)});
  }
}

std::string OggMuxer::Finish() {
  for (std::size_t i = 0; i < streams_.size(); ++i) CollectPages(static_cast<int>(i), true);
  std::stable_sort(pages_.begin(), pages_.end(), [](const Page& a, const Page& b) { return a.time < b.time; });
  std::string file = std::move(firstPages_);
  file += headerPages_;
  headerPages_.clear();
  for (const auto& page : pages_) file += page.bytes;
  pages_.clear();
  return file;
}

}  // namespace kestrova::encoder
