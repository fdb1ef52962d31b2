#include "net/picture_download.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <utility>

#include "model/catalogue_records.h"
#include "model/programme_records.h"
#include "net/answer_file.h"
#include "net/http_transport.h"
#include "net/network_context.h"
#include "net/request_format.h"
#include "platform/image.h"

namespace kestrova::net {

namespace {

constexpr const wchar_t* kPreviewNumberFormat = L"%d.jpg";

// The picture file's bytes; empty when it cannot be read or is larger than
// any answer the transport lets through.
std::vector<std::uint8_t> ReadPictureFile(const std::filesystem::path& file, std::size_t limit) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(file, ec);
  if (ec || size > limit) return {};
  std::ifstream in(file, std::ios::binary);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) return {};
  return bytes;
}

}  // namespace

platform::ArgbImage FetchLogoImage(const TransferScope& scope, std::wstring_view url, int announcedSize) {
  // A negative or oversized announcement is the server's error: no buffer.
  if (announcedSize <= 0 || static_cast<std::size_t>(announcedSize) > kMaxLogoBytes) return {};
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(announcedSize));
  std::size_t received = 0;
  if (!HttpGetToMemory(scope, url, buffer, {}, nullptr, &received)) return {};
  // Only the bytes that arrived; a short logo fails in the decoder.
  return platform::DecodeThumbnail(buffer.data(), received, kLogoMaxWidth, kLogoMaxHeight);
}

void FetchLogo(const TransferScope& scope, model::CatalogueItem& item) {
  platform::ArgbImage image = FetchLogoImage(scope, item.logoLink, item.logoSize);
  if (!image.Empty()) item.logoImage = std::move(image);
}

void FetchFolderLogos(const TransferScope& scope, model::DataState& data, model::FolderNode& folder) {
  const auto ownEntry = [&folder](const model::PictureKey& key) {
    return std::any_of(folder.entries.begin(), folder.entries.end(),
                       [&key](const auto& entry) { return model::DataState::LogoKey(*entry) == key; });
  };
  // The level's own logos never make room for each other: fetching stops
  // before the next logo, at its largest, could take the budget beyond what
  // the level already holds.
  constexpr std::size_t kLargestLogo = std::size_t{kLogoMaxWidth} * kLogoMaxHeight * sizeof(std::uint32_t);
  std::vector<model::PictureKey> dropped;
  std::size_t ownBytes = 0;
  bool full = false;
  for (const auto& entry : folder.entries) {
    if (entry->noLogo != 0 || entry->reloadEntry != 0) continue;
    full = full || ownBytes + kLargestLogo > data.pictures.Limit();
    if (full) {
      entry->logoDropped = entry->logoSize > 0 ? 1 : 0;
      continue;
    }
    platform::ArgbImage image = FetchLogoImage(scope, entry->logoLink, entry->logoSize);
    if (image.Empty()) continue;
    const std::size_t bytes = static_cast<std::size_t>(image.Width()) * static_cast<std::size_t>(image.Height()) *
                              sizeof(std::uint32_t);
    dropped.clear();
    data.KeepLogo(*entry, std::move(image), dropped);
    ownBytes += bytes;
    // Pictures on screen may leave less room than that: then the first
    // logo that does not fit, or pushes out one of the level's, ends it.
    full = entry->logoDropped != 0 || std::any_of(dropped.begin(), dropped.end(), ownEntry);
  }
}

void FetchNextPreview(const TransferScope& scope, model::PreviewSequence& sequence) {
  if (sequence.video == nullptr) return;
  const int number = static_cast<int>(sequence.pictures.size()) + 1;
  const std::wstring url = sequence.video->previewLink + FormatRequest(kPreviewNumberFormat, {number});
  sequence.pictures.push_back(FetchPreviewImage(scope, url));
}

platform::ArgbImage FetchPreviewImage(const TransferScope& scope, std::wstring_view url) {
  AnswerFile picture;
  if (!HttpGetToFile(scope, url, picture.Target())) return {};
  const std::vector<std::uint8_t> bytes = ReadPictureFile(picture.Path(), scope.limits.maxBodyBytes);
  return platform::DecodeThumbnail(bytes.data(), bytes.size(), kPreviewMaxSide, kPreviewMaxSide);
}

}  // namespace kestrova::net
