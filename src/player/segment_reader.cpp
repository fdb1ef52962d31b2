#include "player/segment_reader.h"

#include <cstring>
#include <utility>

#include "player/pcm_block.h"

namespace kestrova::player {
namespace {

constexpr int kVorbisHeaders = 3;

}  // namespace

SegmentReader::SegmentReader(TheoraStream& video, VorbisStream& audio) : video_(video), audio_(audio) {}

bool SegmentReader::ReadChunk() {
  if (!file_) {
    endOfData_ = true;
    return false;
  }
  char* buffer = ogg_sync_buffer(sync_.get(), kReadChunk);
  if (buffer == nullptr) {
    endOfData_ = true;
    return false;
  }
  const std::size_t got = std::fread(buffer, 1, kReadChunk, file_.get());
  ogg_sync_wrote(sync_.get(), static_cast<long>(got));
  endOfData_ = got < static_cast<std::size_t>(kReadChunk);
  return got > 0;
}

void SegmentReader::AddPage(ogg_page& page) {
  if (videoHeaders_ > 0) video_.Stream().PageIn(page);
  if (audioHeaders_ > 0) audio_.Stream().PageIn(page);
}

void SegmentReader::AddBufferedPages() {
  ogg_page page;
  int result = 0;
  // -1 marks bytes skipped while regaining page sync (a damaged page): go on.
  while ((result = ogg_sync_pageout(sync_.get(), &page)) != 0) {
    if (result > 0) AddPage(page);
  }
}

platform::Status SegmentReader::OpenSegment() {
  sync_.Reset();
  video_.ResetSegment();
  audio_.ResetSegment();
  videoHeaders_ = 0;
  audioHeaders_ = 0;
  videoHeaderResult_ = 0;
  blockRead_ = false;
  endOfData_ = false;
  file_.reset();

  const auto entry = queue_.Front();
  if (!entry) return platform::Status::Failure("no segment queued");
  file_.reset(std::fopen(entry->file.c_str(), "rb"));
  if (!file_) return platform::Status::Failure("cannot open " + entry->file.string());
  if (events_ != nullptr) events_->SegmentOpened(entry->programme);

  ReadChunk();
  if (platform::Status read = ScanStreams(); !read) return read;
  if (platform::Status read = CompleteHeaders(); !read) return read;
  AddBufferedPages();
  video_.PrepareDecoder();
  audio_.PrepareSynthesis();
  return {};
}

platform::Status SegmentReader::ScanStreams() {
  ogg_page page;
  for (;;) {
    int result = 0;
    while ((result = ogg_sync_pageout(sync_.get(), &page)) != 0) {
      if (result < 0) continue;
      if (ogg_page_bos(&page) == 0) {
        // The first data page: every stream has announced itself.
        AddPage(page);
        if (videoHeaders_ > 0 || audioHeaders_ > 0) return {};
        return platform::Status::Failure("neither a Theora nor a Vorbis stream");
      }
      OggStream test(ogg_page_serialno(&page));
      test.PageIn(page);
      ogg_packet packet;
      if (test.PacketPeek(packet) != 1) continue;  // no whole first packet: not a stream we know
      int headerResult = 0;
      if (videoHeaders_ == 0 && (headerResult = video_.HeaderIn(packet)) >= 0) {
        videoHeaders_ = 1;
        videoHeaderResult_ = headerResult;
        if (headerResult != 0) test.PacketOut(packet);
        video_.Stream() = std::move(test);
      } else if (audioHeaders_ == 0 && audio_.HeaderIn(packet)) {
        audioHeaders_ = 1;
        test.PacketOut(packet);
        audio_.Stream() = std::move(test);
      }
      // Any other stream is dropped with `test`.
    }
    if (endOfData_) return platform::Status::Failure("the file ends before the first data page");
    ReadChunk();
  }
}

bool SegmentReader::HeadersDone() const {
  return (videoHeaders_ == 0 || videoHeaderResult_ == 0) && (audioHeaders_ == 0 || audioHeaders_ >= kVorbisHeaders);
}

platform::Status SegmentReader::CompleteHeaders() {
  ogg_packet packet;
  for (;;) {
    while (videoHeaders_ > 0 && videoHeaderResult_ != 0) {
      if (video_.Stream().PacketPeek(packet) != 1) break;
      videoHeaderResult_ = video_.HeaderIn(packet);
      if (videoHeaderResult_ < 0) return platform::Status::Failure("a damaged Theora header");
      if (videoHeaderResult_ > 0) video_.Stream().PacketOut(packet);
      ++videoHeaders_;
    }
    while (audioHeaders_ > 0 && audioHeaders_ < kVorbisHeaders) {
      const int result = audio_.Stream().PacketOut(packet);
      if (result == 0) break;
      if (result < 0 || !audio_.HeaderIn(packet)) return platform::Status::Failure("a damaged Vorbis header");
      ++audioHeaders_;
    }
    if (HeadersDone()) return {};
    ogg_page page;
    int result = 0;
    do {
      result = ogg_sync_pageout(sync_.get(), &page);  // -1: damaged bytes skipped
    } while (result < 0);
    if (result > 0) {
      AddPage(page);
    } else {
      if (endOfData_) return platform::Status::Failure("the file ends within the headers");
      ReadChunk();
    }
  }
}

bool SegmentReader::ReadBlock(std::span<std::uint8_t> block) {
  if (!file_ || block.empty()) return false;
  std::size_t filled = 0;
  bool pictureReady = false;
  bool audioFull = false;
  ogg_packet packet;
  for (;;) {
    if (!pictureReady && videoHeaders_ > 0 && video_.Stream().PacketPeek(packet) == 1) pictureReady = true;
    while (!audioFull && audioHeaders_ > 0) {
      const std::size_t converted = audio_.ConvertPcm(block, filled);
      if (converted > 0) {
        filled += converted;
        // A block whose size is not whole sample frames ends in a silent
        // fraction of a frame.
        if (block.size() - filled < static_cast<std::size_t>(kBytesPerSample) * static_cast<std::size_t>(audio_.Channels())) {
          std::memset(block.data() + filled, 0, block.size() - filled);
          audioFull = true;
        }
        continue;
      }
      const int result = audio_.Stream().PacketOut(packet);
      if (result == 0) break;
      if (result > 0) static_cast<void>(audio_.Synthesize(packet));  // a refused packet is skipped
    }
    if ((pictureReady && audioFull) || endOfData_) break;
    ReadChunk();
    AddBufferedPages();
  }
  if (pictureReady) {
    video_.Stream().PacketOut(packet);
    if (audioFull && video_.DecodePacket(packet) >= 0) {
      if (!blockRead_) {
        blockRead_ = true;
        if (events_ != nullptr) events_->SegmentChecked(true);
      }
      return true;
    }
  }
  return false;
}

void SegmentReader::ResetSegment() {
  audio_.ResetSegment();
  video_.ResetSegment();
  sync_.Reset();
}

void SegmentReader::FinishSegment() {
  if (file_ && !blockRead_) {
    RefuseSegment();
    return;
  }
  if (file_) {
    file_.reset();
    queue_.DropFront();
  }
  ResetSegment();
  if (events_ != nullptr) events_->SegmentFinished();
}

void SegmentReader::RefuseSegment() {
  if (queue_.Size() == 0) return;
  file_.reset();
  queue_.DropFront();
  ResetSegment();
  if (events_ != nullptr) events_->SegmentChecked(false);
}

bool SegmentReader::RewindSegment() {
  if (!file_) return false;
  std::rewind(file_.get());
  endOfData_ = false;
  return true;
}

}  // namespace kestrova::player
