// The lookup tables of the Y'CbCr to RGB 5-6-5 conversion: the chroma
// contributions by chroma byte, and for each colour the clamped value already
// reduced and shifted into its field of the pixel, by y + contribution. A
// pixel thus costs three additions, three lookups and two ORs.
#pragma once

#include <array>
#include <cstdint>

namespace kestrova::player {

class ColourTable {
 public:
  ColourTable();

  int RedFromCr(std::uint8_t cr) const { return redCr_[cr]; }
  int GreenFromCr(std::uint8_t cr) const { return greenCr_[cr]; }
  int GreenFromCb(std::uint8_t cb) const { return greenCb_[cb]; }
  int BlueFromCb(std::uint8_t cb) const { return blueCb_[cb]; }

  // The pixel fields for a colour value v = y + contribution, which may lie
  // below 0 or above 255: Field()[v].
  const std::uint16_t* RedField() const { return redField_.data() + kFieldBias; }
  const std::uint16_t* GreenField() const { return greenField_.data() + kFieldBias; }
  const std::uint16_t* BlueField() const { return blueField_.data() + kFieldBias; }

 private:
  static constexpr int kEntries = 256;
  // Contributions stay within -227..227, so y + contribution within
  // -227..482; the field tables cover -256..511.
  static constexpr int kFieldBias = 256;
  static constexpr int kFieldEntries = 768;
  std::array<int, kEntries> redCr_{};
  std::array<int, kEntries> greenCr_{};
  std::array<int, kEntries> greenCb_{};
  std::array<int, kEntries> blueCb_{};
  std::array<std::uint16_t, kFieldEntries> redField_{};
  std::array<std::uint16_t, kFieldEntries> greenField_{};
  std::array<std::uint16_t, kFieldEntries> blueField_{};
};

}  // namespace kestrova::player
