#include "player/pcm_block.h"

namespace kestrova::player {

std::size_t PcmBlockSize(int channels, long rate, long frameRateNumerator, long frameRateDenominator) {
  if (channels <= 0 || rate <= 0 || frameRateNumerator <= 0 || frameRateDenominator <= 0) return 0;
  const long long frameBytes = static_cast<long long>(kBytesPerSample) * channels;
  // Rate and frame rate come from the segment's headers (up to 32 bits
  // each), so the product may not fit: such a block is too large anyway.
  long long bytesPerSecond = 0;
  long long scaled = 0;
  if (__builtin_mul_overflow(frameBytes, static_cast<long long>(rate), &bytesPerSecond) ||
      __builtin_mul_overflow(bytesPerSecond, static_cast<long long>(frameRateDenominator), &scaled)) {
    return 0;
  }
  const long long bytes = scaled / frameRateNumerator;
  if (bytes > static_cast<long long>(kMaxPcmBlockBytes)) return 0;
  return static_cast<std::size_t>(bytes - bytes % frameBytes);
}

}  // namespace kestrova::player
