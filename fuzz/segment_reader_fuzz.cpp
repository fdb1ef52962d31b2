// A live segment on arbitrary bytes: written to a temporary file, queued,
// opened and read block by block as the player does, with every decoded
// picture fetched as the video output does.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "player/pcm_block.h"
#include "player/player_error.h"
#include "player/segment_reader.h"

namespace {

using namespace kestrova::player;

// The player's own fallback when a segment names no frame rate.
constexpr long kDefaultFrameRate = 15;
// Enough blocks for any segment the fuzzer makes; bounds the time of a run.
constexpr int kMaxBlocks = 200;

std::filesystem::path WriteSegment(const std::uint8_t* bytes, std::size_t size) {
  std::string name = (std::filesystem::temp_directory_path() / "fuzzsegXXXXXX").string();
  const int fd = ::mkstemp(name.data());
  if (fd < 0) return {};
  const bool written = size == 0 || ::write(fd, bytes, size) == static_cast<ssize_t>(size);
  ::close(fd);
  if (!written) {
    ::unlink(name.c_str());
    return {};
  }
  return name;
}

void Play(SegmentReader& reader, TheoraStream& video, VorbisStream& audio) {
  if (!reader.OpenSegment()) return;
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
    try {
      Play(reader, video, audio);
    } catch (TPlayerError) {
      // A segment whose streams or headers cannot be read: the player skips it.
    }
  }
  std::error_code ignored;
  std::filesystem::remove(file, ignored);
  return 0;
}
