#include "platform/image_size.h"

#include <array>
#include <cstring>

namespace kestrova::platform {
namespace {

constexpr std::array<std::uint8_t, 8> kPngSignature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr std::size_t kPngIhdrType = 12;   // chunk type after the signature and the chunk length
constexpr std::size_t kPngIhdrWidth = 16;  // width and height follow, 4 bytes each, big-endian
constexpr std::uint8_t kMarker = 0xFF;
constexpr std::uint8_t kStartOfImage = 0xD8;
constexpr std::uint8_t kStartOfScan = 0xDA;
constexpr std::uint8_t kEndOfImage = 0xD9;

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24U | std::uint32_t{p[1]} << 16U | std::uint32_t{p[2]} << 8U | p[3];
}

int BigEndian16(const std::uint8_t* p) { return p[0] << 8U | p[1]; }

// Every chunk (length, type, data, checksum) lies whole within the bytes, up
// to and including IEND. The decoder cannot tell the end of the bytes from
// data: a chunk running past the end has it read the same bytes again and
// again, never finishing.
bool PngChunksWhole(const std::uint8_t* data, std::size_t length) {
  constexpr std::size_t kChunkFrame = 12;  // length, type and checksum
  constexpr std::uint32_t kMaxChunk = 0x7FFFFFFFU;
  std::size_t at = kPngSignature.size();
  while (length - at >= kChunkFrame) {
    const std::uint32_t size = BigEndian32(data + at);
    if (size > kMaxChunk || size > length - at - kChunkFrame) return false;
    if (std::memcmp(data + at + 4, "IEND", 4) == 0) return true;
    at += kChunkFrame + size;
  }
  return false;
}

std::optional<ImageSize> PngSize(const std::uint8_t* data, std::size_t length) {
  if (length < kPngIhdrWidth + 8 || std::memcmp(data + kPngIhdrType, "IHDR", 4) != 0) return std::nullopt;
  if (!PngChunksWhole(data, length)) return std::nullopt;
  const std::uint32_t width = BigEndian32(data + kPngIhdrWidth);
  const std::uint32_t height = BigEndian32(data + kPngIhdrWidth + 4);
  if (width == 0 || height == 0 || width > 0x7FFFFFFFU || height > 0x7FFFFFFFU) return std::nullopt;
  return ImageSize{static_cast<int>(width), static_cast<int>(height)};
}

// Start-of-frame markers C0 to CF, except C4 (Huffman tables), C8 (reserved)
// and CC (arithmetic coding conditioning).
bool IsStartOfFrame(std::uint8_t marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

std::optional<ImageSize> JpegSize(const std::uint8_t* data, std::size_t length) {
  std::size_t at = 2;
  while (at + 4 <= length) {
    if (data[at] != kMarker) return std::nullopt;
    const std::uint8_t marker = data[at + 1];
    if (marker == kMarker) {  // fill byte
      ++at;
      continue;
    }
    if (marker == kStartOfScan || marker == kEndOfImage) return std::nullopt;
    const auto segment = static_cast<std::size_t>(BigEndian16(data + at + 2));
    if (segment < 2) return std::nullopt;
    if (IsStartOfFrame(marker)) {
      // Length, precision, then height and width.
      if (at + 9 > length) return std::nullopt;
      const int height = BigEndian16(data + at + 5);
      const int width = BigEndian16(data + at + 7);
      if (width == 0 || height == 0) return std::nullopt;
      return ImageSize{width, height};
    }
    at += 2 + segment;
  }
  return std::nullopt;
}

// Markers inside a scan's coded data that belong to it: a stuffed zero
// byte, restart markers D0 to D7, and fill bytes.
bool InsideScan(std::uint8_t next) {
  constexpr std::uint8_t kFirstRestart = 0xD0;
  constexpr std::uint8_t kLastRestart = 0xD7;
  return next == 0 || next == kMarker || (next >= kFirstRestart && next <= kLastRestart);
}

}  // namespace

int JpegScanCount(const std::uint8_t* data, std::size_t length) {
  if (data == nullptr || length < 2 || data[0] != kMarker || data[1] != kStartOfImage) return 0;
  int scans = 0;
  std::size_t at = 2;
  while (at + 2 <= length) {
    if (data[at] != kMarker) return scans;  // damaged: the decoder refuses it anyway
    const std::uint8_t marker = data[at + 1];
    if (marker == kMarker) {
      ++at;
      continue;
    }
    if (marker == kEndOfImage || at + 4 > length) return scans;
    const auto segment = static_cast<std::size_t>(BigEndian16(data + at + 2));
    if (segment < 2 || segment > length - at - 2) return scans;  // runs past the end
    at += 2 + segment;
    if (marker != kStartOfScan) continue;
    ++scans;
    // The coded data runs to the next marker that is not part of it.
    while (at + 1 < length && !(data[at] == kMarker && !InsideScan(data[at + 1]))) ++at;
    if (at + 1 >= length) return scans;
  }
  return scans;
}

std::optional<ImageSize> DeclaredImageSize(const std::uint8_t* data, std::size_t length) {
  if (data == nullptr) return std::nullopt;
  if (length >= kPngSignature.size() && std::memcmp(data, kPngSignature.data(), kPngSignature.size()) == 0) {
    return PngSize(data, length);
  }
  if (length >= 2 && data[0] == kMarker && data[1] == kStartOfImage) return JpegSize(data, length);
  return std::nullopt;
}

}  // namespace kestrova::platform
