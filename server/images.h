// Pictures drawn by the server itself: channel and folder logos (PNG) and the
// numbered preview pictures of videos and programme entries (JPEG).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "catalogue.h"

namespace kestrova::server {

inline constexpr int kLogoWidth = 64;
inline constexpr int kLogoHeight = 48;
inline constexpr int kPreviewWidth = 176;
inline constexpr int kPreviewHeight = 144;
inline constexpr int kPreviewsPerVideo = 6;

// Encoded file bytes, or nullopt when SDL could not draw or encode.
std::optional<std::string> DrawLogoPng(const LogoDesign& design);
std::optional<std::string> DrawPreviewJpeg(std::string_view title, int number, int seed);

// The logos of every channel and folder, drawn once at start-up: the catalogue
// answer announces each logo's exact size, which the client reads in one go.
class LogoStore {
 public:
  // False when a logo could not be drawn.
  bool Build(const Catalogue& catalogue);

  // File name "channel_<id>.png" or "folder_<id>.png".
  const std::string* Find(const std::string& file_name) const;

  static std::string ChannelFile(int id) { return "channel_" + std::to_string(id) + ".png"; }
  static std::string FolderFile(int id) { return "folder_" + std::to_string(id) + ".png"; }

 private:
  std::map<std::string, std::string> logos_;
};

}  // namespace kestrova::server
