// PCM blocks: one video-frame period of 16-bit interleaved little-endian
// samples, converted from the integer Vorbis decoder's fixed-point output.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrova::player {

// Bytes of one sample of one channel.
inline constexpr int kBytesPerSample = 2;

// The decoder's samples carry 24 fractional bits: values from
// -16777216 to 16777215 are in range, shifted right by 9 to 16 bits; values
// outside clamp to the 16-bit limits.
inline std::int16_t PcmSample(std::int32_t fixed) {
  constexpr std::int32_t kLowest = -16777216;
  constexpr std::int32_t kHighest = 16777215;
  constexpr int kFractionShift = 9;
  if (fixed < kLowest) return INT16_MIN;
  if (fixed > kHighest) return INT16_MAX;
  return static_cast<std::int16_t>(fixed >> kFractionShift);
}

// The largest block a segment may ask for: 16 MiB is far beyond any real
// format (8 channels at 192 kHz and 1 frame a second need 3 MiB), so a
// header naming more is damaged or hostile.
inline constexpr std::size_t kMaxPcmBlockBytes = std::size_t{16} * 1024 * 1024;

// Bytes of PCM for one frame period (numerator / denominator frames per
// second), rounded down to whole sample frames: only such a block can be
// filled completely. 0 for a format that has no such period, or whose block
// would be larger than kMaxPcmBlockBytes.
std::size_t PcmBlockSize(int channels, long rate, long frameRateNumerator, long frameRateDenominator);

}  // namespace kestrova::player
