#include "images.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/sdl_handles.h"
#include "segment_encoder/card_font.h"

namespace kestrova::server {
namespace {

constexpr int kJpegQuality = 85;
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::uint32_t kBlack = 0x000000;
constexpr int kLogoMargin = 6;
constexpr int kBorder = 2;
// Logo text: as large as fits, between these line heights.
constexpr int kLogoLargestLine = 30;
constexpr int kLogoSmallestLine = 9;
// Preview titles: the client's list font, else its small one.
constexpr int kTitleLine = 17;
constexpr int kTitleSmallLine = 15;
constexpr int kNumberLine = 60;
constexpr int kPlatePadding = 6;
constexpr int kTitleMargin = 6;
constexpr int kMaxTitleLines = 3;

using encoder::CardFont;
using encoder::TextMask;
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

// Splits a title into lines that fit a width; nullopt when a word alone is
// too wide or more lines than allowed are needed.
std::optional<std::vector<std::string>> Wrap(const CardFont& font, std::string_view text, int width) {
  std::vector<std::string> lines;
  std::string line;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t blank = std::min(text.find(' ', start), text.size());
    const std::string word(text.substr(start, blank - start));
    start = blank + 1;
    if (word.empty()) continue;
    if (font.Width(word) > width) return std::nullopt;
    const std::string joined = line.empty() ? word : line + " " + word;
    if (font.Width(joined) <= width) {
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

// Blends rendered text onto an RGB24 surface with its top left corner at
// (x, y); clipped to the surface.
void DrawMask(SDL_Surface* surface, int x, int y, const TextMask& mask, std::uint32_t rgb) {
  if (SDL_LockSurface(surface) != 0) return;
  const int colour[3] = {static_cast<int>((rgb >> 16) & 0xFFu), static_cast<int>((rgb >> 8) & 0xFFu),
                         static_cast<int>(rgb & 0xFFu)};
  for (int my = 0; my < mask.height; ++my) {
    const int py = y + my;
    if (py < 0 || py >= surface->h) continue;
    auto* row = static_cast<std::uint8_t*>(surface->pixels) + static_cast<std::ptrdiff_t>(py) * surface->pitch;
    for (int mx = 0; mx < mask.width; ++mx) {
      const int px = x + mx;
      const int a = mask.At(mx, my);
      if (px < 0 || px >= surface->w || a == 0) continue;
      std::uint8_t* pixel = row + static_cast<std::ptrdiff_t>(px) * 3;  // R, G, B bytes
      for (int c = 0; c < 3; ++c) pixel[c] = static_cast<std::uint8_t>((pixel[c] * (255 - a) + colour[c] * a) / 255);
    }
  }
  SDL_UnlockSurface(surface);
}

// The logo's text in the largest font that fits across the logo.
std::unique_ptr<CardFont> LogoFont(const std::string& text) {
  const int room = kLogoWidth - 2 * kLogoMargin;
  auto font = CardFont::Open(kLogoLargestLine);
  if (!font) return nullptr;
  const int width = font->Width(text);
  int line = width <= room ? kLogoLargestLine : std::max(kLogoSmallestLine, kLogoLargestLine * room / std::max(width, 1));
  for (; line > kLogoSmallestLine; --line) {
    font = CardFont::Open(line);
    if (!font || font->Width(text) <= room) break;
  }
  return font;
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
  if (const auto font = LogoFont(design.text)) {
    const TextMask mask = font->Render(design.text);
    const int x = (kLogoWidth - mask.width) / 2;
    const int y = (kLogoHeight - mask.height) / 2;
    DrawMask(surface.get(), x + 1, y + 1, mask, kBlack);
    DrawMask(surface.get(), x, y, mask, kWhite);
  }
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
  const int width = kPreviewWidth - 2 * kTitleMargin;
  auto font = CardFont::Open(kTitleLine);
  std::optional<std::vector<std::string>> lines;
  if (font) lines = Wrap(*font, title, width);
  if (font && !lines) {
    font = CardFont::Open(kTitleSmallLine);
    if (font) lines = Wrap(*font, title, width);
  }
  if (font && !lines) lines = std::vector<std::string>{std::string(title)};  // clipped at the edges
  int y = kTitleMargin;
  for (const auto& line : lines.value_or(std::vector<std::string>{})) {
    const TextMask mask = font->Render(line);
    DrawMask(surface.get(), (kPreviewWidth - mask.width) / 2, y, mask, kWhite);
    y += font->LineHeight();
  }
  // The picture number, large, on a white plate in the lower half.
  if (const auto numberFont = CardFont::Open(kNumberLine)) {
    const TextMask digits = numberFont->Render(std::to_string(number));
    const int plate_w = digits.width + 2 * kPlatePadding;
    const int plate_h = digits.height;
    const int plate_x = (kPreviewWidth - plate_w) / 2;
    const int plate_y = kPreviewHeight - plate_h - kTitleMargin;
    Fill(surface.get(), {plate_x, plate_y, plate_w, plate_h}, kWhite);
    DrawMask(surface.get(), plate_x + kPlatePadding, plate_y, digits, kBlack);
  }
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
