#include "player/pcm_block.h"

namespace kestrova::player {

std::size_t PcmBlockSize(int channels, long rate, long frameRateNumerator, long frameRateDenominator) {
  if (channels <= 0 || rate <= 0 || frameRateNumerator <= 0 || frameRateDenominator <= 0) return 0;
  const long long frameBytes = static_cast<long long>(kBytesPerSample) * channels;
  const long long bytes = frameBytes * rate * frameRateDenominator / frameRateNumerator;
  return static_cast<std::size_t>(bytes - bytes % frameBytes);
}

}  // namespace kestrova::player
