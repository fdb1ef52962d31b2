// A live segment on arbitrary bytes: written to a temporary file, queued,
// opened and read block by block as the player does, with every decoded
// picture fetched as the video output does. Every complete Ogg page of the
// input gets its checksum set first, so that changed bytes reach the
// stream and codec header readers instead of failing the page check.
#include <ogg/ogg.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "player/pcm_block.h"
#include "player/segment_reader.h"

namespace {

using namespace kestrova::player;

// The player's own fallback when a segment names no frame rate.
constexpr long kDefaultFrameRate = 15;
// Enough blocks for any segment the fuzzer makes; bounds the time of a run.
constexpr int kMaxBlocks = 200;

constexpr std::size_t kPageHeaderBytes = 27;
constexpr std::size_t kSegmentCountOffset = 26;

void SetPageChecksums(std::vector<std::uint8_t>& bytes) {
  std::size_t at = 0;
  while (at + kPageHeaderBytes <= bytes.size()) {
    if (bytes[at] != 'O' || bytes[at + 1] != 'g' || bytes[at + 2] != 'g' || bytes[at + 3] != 'S') {
      ++at;
      continue;
    }
    const std::size_t segments = bytes[at + kSegmentCountOffset];
    const std::size_t headerBytes = kPageHeaderBytes + segments;
    if (at + headerBytes > bytes.size()) return;
    std::size_t bodyBytes = 0;
    for (std::size_t i = 0; i < segments; ++i) bodyBytes += bytes[at + kPageHeaderBytes + i];
    if (at + headerBytes + bodyBytes > bytes.size()) return;
    ogg_page page{};
    page.header = bytes.data() + at;
    page.header_len = static_cast<long>(headerBytes);
    page.body = bytes.data() + at + headerBytes;
    page.body_len = static_cast<long>(bodyBytes);
    ogg_page_checksum_set(&page);
    at += headerBytes + bodyBytes;
  }
}

std::filesystem::path WriteSegment(const std::uint8_t* input, std::size_t size) {
  std::vector<std::uint8_t> bytes(input, input + size);
  SetPageChecksums(bytes);
  std::string name = (std::filesystem::temp_directory_path() / "fuzzsegXXXXXX").string();
  const int fd = ::mkstemp(name.data());
  if (fd < 0) return {};
  const bool written = size == 0 || ::write(fd, bytes.data(), size) == static_cast<ssize_t>(size);
  ::close(fd);
  if (!written) {
    ::unlink(name.c_str());
    return {};
  }
  return name;
}

void Play(SegmentReader& reader, TheoraStream& video, VorbisStream& audio) {
  // A segment whose streams or headers cannot be read: the player skips it.
  if (const kestrova::platform::Status opened = reader.OpenSegment(); !opened) {
    if (opened.Reason().empty()) std::abort();  // every failure says why
    return;
  }
  long numerator = kDefaultFrameRate;
  long denominator = 1;
  const th_info& info = video.Info();
  if (reader.VideoHeaders() > 0 && info.fps_numerator > 0 && info.fps_denominator > 0) {
    numerator = static_cast<long>(info.fps_numerator);
    denominator = static_cast<long>(info.fps_denominator);
  }
  const std::size_t size = PcmBlockSize(audio.Channels(), audio.Rate(), numerator, denominator);
  if (size == 0) return;
  std::vector<std::uint8_t> block(size);
  for (int i = 0; i < kMaxBlocks && reader.ReadBlock(block); ++i) {
    const std::lock_guard guard(video.Lock());
    if (!video.HasDecoder()) continue;
    static_cast<void>(video.FetchPicture());
    if (video.HasNextDecoder()) video.SwitchDecoder();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::filesystem::path file = WriteSegment(bytes, size);
  if (file.empty()) return 0;
  {
    TheoraStream video;
    VorbisStream audio;
    SegmentReader reader(video, audio);
    reader.Queue().Append({file, L"programme"});
    Play(reader, video, audio);
  }
  std::error_code ignored;
  std::filesystem::remove(file, ignored);
  return 0;
}
