#include "images.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "bitmap_font.h"
#include "platform/sdl_handles.h"

namespace kestrova::server {
namespace {

constexpr int kJpegQuality = 85;
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlack = 0x000000;
constexpr int kMaxLogoScale = 4;
constexpr int kLogoMargin = 6;
constexpr int kBorder = 2;
constexpr int kNumberScale = 8;
constexpr int kTitleMargin = 6;
constexpr int kTitleLineGap = 3;
constexpr int kMaxTitleLines = 3;

using platform::RwPtr;
using platform::SurfacePtr;

// An SDL output stream that appends to a std::string (the encoders write
// sequentially, but seeking is supported for safety).
struct StringSink {
  std::string* bytes;
  Sint64 position;
};

Sint64 SinkSize(SDL_RWops* rw) {
  return static_cast<Sint64>(static_cast<StringSink*>(rw->hidden.unknown.data1)->bytes->size());
}

Sint64 SinkSeek(SDL_RWops* rw, Sint64 offset, int whence) {
  auto* sink = static_cast<StringSink*>(rw->hidden.unknown.data1);
  const auto size = static_cast<Sint64>(sink->bytes->size());
  Sint64 target = offset;
  if (whence == RW_SEEK_CUR) target += sink->position;
  if (whence == RW_SEEK_END) target += size;
  if (target < 0) return -1;
  sink->position = target;
  return target;
}

size_t SinkRead(SDL_RWops*, void*, size_t, size_t) { return 0; }

size_t SinkWrite(SDL_RWops* rw, const void* data, size_t size, size_t count) {
  auto* sink = static_cast<StringSink*>(rw->hidden.unknown.data1);
  const size_t length = size * count;
  const auto position = static_cast<size_t>(sink->position);
  if (sink->bytes->size() < position + length) sink->bytes->resize(position + length);
  std::copy_n(static_cast<const char*>(data), length, sink->bytes->begin() + static_cast<std::ptrdiff_t>(position));
  sink->position += static_cast<Sint64>(length);
  return count;
}

int SinkClose(SDL_RWops* rw) {
  SDL_FreeRW(rw);
  return 0;
}

RwPtr OpenSink(StringSink& sink) {
  SDL_RWops* rw = SDL_AllocRW();
  if (rw == nullptr) return nullptr;
  rw->size = SinkSize;
  rw->seek = SinkSeek;
  rw->read = SinkRead;
  rw->write = SinkWrite;
  rw->close = SinkClose;
  rw->type = SDL_RWOPS_UNKNOWN;
  rw->hidden.unknown.data1 = &sink;
  return RwPtr(rw);
}

enum class Format { kPng, kJpeg };

std::optional<std::string> Encode(SDL_Surface* surface, Format format) {
  std::string bytes;
  StringSink sink{&bytes, 0};
  RwPtr rw = OpenSink(sink);
  if (!rw) return std::nullopt;
  const int rc = format == Format::kPng ? IMG_SavePNG_RW(surface, rw.get(), 0)
                                        : IMG_SaveJPG_RW(surface, rw.get(), 0, kJpegQuality);
  if (rc != 0 || bytes.empty()) return std::nullopt;
  return bytes;
}

SurfacePtr NewSurface(int width, int height) {
  return SurfacePtr(SDL_CreateRGBSurfaceWithFormat(0, width, height, 24, SDL_PIXELFORMAT_RGB24));
}

Uint32 Map(const SDL_Surface* surface, std::uint32_t rgb) {
  return SDL_MapRGB(surface->format, static_cast<Uint8>(rgb >> 16), static_cast<Uint8>(rgb >> 8),
                    static_cast<Uint8>(rgb));
}

std::uint32_t Mix(std::uint32_t a, std::uint32_t b, int weight_b, int total) {
  std::uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const auto ca = static_cast<int>((a >> shift) & 0xFFu);
    const auto cb = static_cast<int>((b >> shift) & 0xFFu);
    out |= static_cast<std::uint32_t>((ca * (total - weight_b) + cb * weight_b) / total) << shift;
  }
  return out;
}

void Fill(SDL_Surface* surface, SDL_Rect rect, std::uint32_t rgb) { SDL_FillRect(surface, &rect, Map(surface, rgb)); }

// Splits a title into lines that fit a width at a scale; nullopt when a word
// alone is too wide or more lines than allowed are needed.
std::optional<std::vector<std::string>> Wrap(std::string_view text, int width, int scale) {
  std::vector<std::string> lines;
  std::string line;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t blank = std::min(text.find(' ', start), text.size());
    const std::string word(text.substr(start, blank - start));
    start = blank + 1;
    if (word.empty()) continue;
    if (TextWidth(word, scale) > width) return std::nullopt;
    const std::string joined = line.empty() ? word : line + " " + word;
    if (TextWidth(joined, scale) <= width) {
      line = joined;
    } else {
      lines.push_back(line);
      line = word;
    }
  }
  if (!line.empty()) lines.push_back(line);
  if (lines.size() > static_cast<std::size_t>(kMaxTitleLines)) return std::nullopt;
  return lines;
}

// A colour of its own for each seed, dark enough for white text.
std::uint32_t SeedColour(int seed) {
  const auto h = static_cast<std::uint32_t>(seed) * 2654435761u;
  return ((h >> 8) & 0x7Fu) << 16 | ((h >> 16) & 0x7Fu) << 8 | ((h >> 24) & 0x7Fu);
}

}  // namespace

std::optional<std::string> DrawLogoPng(const LogoDesign& design) {
  SurfacePtr surface = NewSurface(kLogoWidth, kLogoHeight);
  if (!surface) return std::nullopt;
  Fill(surface.get(), {0, 0, kLogoWidth, kLogoHeight}, Mix(design.colour, kWhite, 1, 2));
  Fill(surface.get(), {kBorder, kBorder, kLogoWidth - 2 * kBorder, kLogoHeight - 2 * kBorder}, design.colour);
  const std::string text = FontText(design.text);
  const int unit_width = std::max(TextWidth(text, 1), 1);
  const int scale = std::clamp((kLogoWidth - 2 * kLogoMargin) / unit_width, 1, kMaxLogoScale);
  const int x = (kLogoWidth - TextWidth(text, scale)) / 2;
  const int y = (kLogoHeight - kGlyphHeight * scale) / 2;
  DrawFontText(surface.get(), x + 1, y + 1, text, scale, kBlack);
  DrawFontText(surface.get(), x, y, text, scale, kWhite);
  return Encode(surface.get(), Format::kPng);
}

std::optional<std::string> DrawPreviewJpeg(std::string_view title, int number, int seed) {
  SurfacePtr surface = NewSurface(kPreviewWidth, kPreviewHeight);
  if (!surface) return std::nullopt;
  // A vertical gradient from the video's colour to a darker shade, different
  // for each picture number so that the pictures are told apart at a glance.
  const std::uint32_t top = Mix(SeedColour(seed), SeedColour(seed + number), 1, 3);
  for (int y = 0; y < kPreviewHeight; ++y) {
    Fill(surface.get(), {0, y, kPreviewWidth, 1}, Mix(top, kBlack, y, 2 * kPreviewHeight));
  }
  const std::string text = FontText(title);
  const int width = kPreviewWidth - 2 * kTitleMargin;
  int scale = 2;
  auto lines = Wrap(text, width, scale);
  if (!lines) {
    scale = 1;
    lines = Wrap(text, width, scale);
  }
  if (!lines) lines = std::vector<std::string>{text.substr(0, static_cast<std::size_t>(width / kGlyphAdvance))};
  int y = kTitleMargin;
  for (const auto& line : *lines) {
    DrawFontText(surface.get(), (kPreviewWidth - TextWidth(line, scale)) / 2, y, line, scale, kWhite);
    y += (kGlyphHeight + kTitleLineGap) * scale;
  }
  // The picture number, large, on a white plate in the lower half.
  const std::string digits = std::to_string(number);
  const int number_width = TextWidth(digits, kNumberScale);
  const int plate_w = number_width + 2 * kNumberScale;
  const int plate_h = (kGlyphHeight + 2) * kNumberScale;
  const int plate_x = (kPreviewWidth - plate_w) / 2;
  const int plate_y = kPreviewHeight - plate_h - kTitleMargin;
  Fill(surface.get(), {plate_x, plate_y, plate_w, plate_h}, kWhite);
  DrawFontText(surface.get(), plate_x + kNumberScale, plate_y + kNumberScale, digits, kNumberScale, kBlack);
  return Encode(surface.get(), Format::kJpeg);
}

bool LogoStore::Build(const Catalogue& catalogue) {
  for (const auto& folder : catalogue.folders) {
    auto png = DrawLogoPng(folder.logo);
    if (!png) return false;
    logos_[FolderFile(folder.id)] = std::move(*png);
  }
  for (const auto& channel : catalogue.channels) {
    auto png = DrawLogoPng(channel.logo);
    if (!png) return false;
    logos_[ChannelFile(channel.id)] = std::move(*png);
  }
  return true;
}

const std::string* LogoStore::Find(const std::string& file_name) const {
  const auto it = logos_.find(file_name);
  return it == logos_.end() ? nullptr : &it->second;
}

}  // namespace kestrova::server
