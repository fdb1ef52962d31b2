#include "player/colour_table.h"

namespace kestrova::player {
namespace {

constexpr double kRedFromCr = 1.4013377926421404;
constexpr double kGreenFromCr = -0.7136038186157518;
constexpr double kGreenFromCb = -0.34441087613293053;
constexpr double kBlueFromCb = 1.7734138972809665;
constexpr int kChromaZero = 128;
constexpr int kMaxLevel = 255;

// (c - 128) x coefficient, truncated toward zero.
int Contribution(int c, double coefficient) { return static_cast<int>((c - kChromaZero) * coefficient); }

}  // namespace

ColourTable::ColourTable() {
  for (int c = 0; c < kEntries; ++c) {
    const auto i = static_cast<std::size_t>(c);
    redCr_[i] = Contribution(c, kRedFromCr);
    greenCr_[i] = Contribution(c, kGreenFromCr);
    greenCb_[i] = Contribution(c, kGreenFromCb);
    blueCb_[i] = Contribution(c, kBlueFromCb);
  }
  for (int v = -kFieldBias; v < kFieldEntries - kFieldBias; ++v) {
    const int clamped = v < 0 ? 0 : (v > kMaxLevel ? kMaxLevel : v);
    const auto i = static_cast<std::size_t>(v + kFieldBias);
    redField_[i] = static_cast<std::uint16_t>((clamped >> 3) << 11);
    greenField_[i] = static_cast<std::uint16_t>((clamped >> 2) << 5);
    blueField_[i] = static_cast<std::uint16_t>(clamped >> 3);
  }
}

}  // namespace kestrova::player
