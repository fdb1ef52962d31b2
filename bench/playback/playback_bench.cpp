// Plays one Ogg Theora + Vorbis file without pacing: every block of sound is
// decoded, and with it every picture is fetched, converted and scaled into
// the portrait window (a 320 x 240 picture fills 240 x 180 of it), exactly as
// the player does for each audio buffer. Prints the pictures and sound
// decoded and the CPU time used.
#include <sys/resource.h>

#include <cstdio>
#include <vector>

#include "process_usage.h"
#include "player/pcm_block.h"
#include "player/picture_renderer.h"
#include "player/segment_reader.h"

namespace {

constexpr int kScreenWidth = 240;
constexpr int kScreenHeight = 320;
// Without a Theora stream the player times its blocks at 25 frames per second.
constexpr unsigned kDefaultFpsNumerator = 25;
constexpr unsigned kDefaultFpsDenominator = 1;

}  // namespace

int main(int argc, char** argv) {
  using namespace kestrova::player;
  using kestrova::bench::CpuSeconds;
  if (argc != 2) {
    std::fprintf(stderr, "usage: playback FILE.ogg\n");
    return 2;
  }
  TheoraStream video;
  VorbisStream audio;
  SegmentReader reader(video, audio);
  reader.Queue().Append({argv[1], L""});
  if (const kestrova::platform::Status opened = reader.OpenSegment(); !opened) {
    std::fprintf(stderr, "playback: %s: %s\n", argv[1], opened.Reason().c_str());
    return 1;
  }
  const bool hasVideo = reader.VideoHeaders() > 0;
  const unsigned numerator = hasVideo ? video.Info().fps_numerator : kDefaultFpsNumerator;
  const unsigned denominator = hasVideo ? video.Info().fps_denominator : kDefaultFpsDenominator;
  if (!audio.Ready()) {
    std::fprintf(stderr, "playback: %s has no sound, which paces the player\n", argv[1]);
    return 1;
  }
  std::vector<std::uint8_t> block(PcmBlockSize(audio.Channels(), audio.Rate(), numerator, denominator));
  std::vector<std::uint16_t> screen(static_cast<std::size_t>(kScreenWidth * kScreenHeight));
  PictureRenderer renderer;
  long blocks = 0;
  long pictures = 0;
  while (reader.ReadBlock(block)) {
    ++blocks;
    const std::lock_guard guard(video.Lock());
    const auto picture = video.FetchPicture();
    if (picture) {
      const VideoLayout& layout =
          renderer.Prepare(kestrova::platform::kDisplayOrientation0, picture->luma.width, picture->luma.height);
      std::uint16_t* start = screen.data() + static_cast<std::ptrdiff_t>(layout.destination.top) * kScreenWidth +
                             layout.destination.left;
      if (renderer.Render(*picture, start, kScreenWidth)) ++pictures;
    }
    video.SwitchDecoder();
  }
  const double seconds = static_cast<double>(blocks) * denominator / numerator;
  std::printf("playback: %ld pictures drawn, %ld blocks (%.1f s of %d-channel %ld Hz sound), CPU %.3f s\n", pictures,
              blocks, seconds, audio.Channels(), audio.Rate(), CpuSeconds());
  return 0;
}
