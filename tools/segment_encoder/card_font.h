// Text for the pictures our tools draw (test cards, the server's logos and
// previews), in the font the client uses: fontconfig's match for
// "Arial:bold" over SDL2_ttf, so that Cyrillic channel names render as they
// do in the client. Fonts may be used from several threads.
#pragma once

#include <SDL_ttf.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova::encoder {

inline constexpr const char* kCardFontPattern = "Arial:bold";

// Coverage of rendered text, 0 (none) to 255 (full), width x height.
struct TextMask {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> coverage;

  std::uint8_t At(int x, int y) const {
    return coverage[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
  }
};

std::optional<std::filesystem::path> MatchCardFontFile();

class CardFont {
 public:
  // The font at the largest point size whose line height fits `lineHeight`;
  // null when no font file is found or it cannot be opened.
  static std::unique_ptr<CardFont> Open(int lineHeight);

 private:
  struct OpenKey {
    explicit OpenKey() = default;
  };

 public:
  CardFont(OpenKey, TTF_Font* font);  // through Open only
  ~CardFont();
  CardFont(const CardFont&) = delete;
  CardFont& operator=(const CardFont&) = delete;

  int LineHeight() const { return lineHeight_; }
  // Width in pixels of a UTF-8 text on one line; 0 for an empty text.
  int Width(std::string_view utf8) const;
  // The text on one line, a mask of its width x the line height; empty
  // (width 0) for an empty text or when rendering fails.
  TextMask Render(std::string_view utf8) const;

 private:
  TTF_Font* font_;
  int lineHeight_;
};

}  // namespace kestrova::encoder
