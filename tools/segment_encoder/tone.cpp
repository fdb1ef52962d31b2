#include "segment_encoder/tone.h"

#include <cmath>
#include <numbers>

namespace kestrova::encoder {
namespace {

constexpr double kFrequency = 1000.0;
constexpr float kLevel = 0.3F;
constexpr int kSoundingFifths = 4;  // of every second
constexpr int kFifths = 5;

}  // namespace

void Tone::Fill(float** channels, int channelCount, int count) {
  for (int i = 0; i < count; ++i, ++position_) {
    const bool sounding = position_ % sampleRate_ * kFifths < static_cast<long>(sampleRate_) * kSoundingFifths;
    const double phase = 2.0 * std::numbers::pi * kFrequency * static_cast<double>(position_) / sampleRate_;
    const float value = sounding ? kLevel * static_cast<float>(std::sin(phase)) : 0.0F;
    for (int c = 0; c < channelCount; ++c) channels[c][i] = value;
  }
}

}  // namespace kestrova::encoder
