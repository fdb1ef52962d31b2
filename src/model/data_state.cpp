#include "model/data_state.h"

#include <algorithm>
#include <utility>

namespace kestrova::model {

namespace {

std::size_t PictureBytes(const platform::ArgbImage& image) {
  return static_cast<std::size_t>(image.Width()) * static_cast<std::size_t>(image.Height()) * sizeof(std::uint32_t);
}

// Runs `visit` on every entry of the level and of the levels below it.
template <typename Visit>
void ForEachEntry(FolderNode& level, const Visit& visit) {
  for (const auto& entry : level.entries) visit(*entry);
  for (const auto& child : level.children) ForEachEntry(*child, visit);
}

}  // namespace

void DataState::ResetChannelTree() {
  ForEachEntry(*channelRoot, [this](const CatalogueItem& item) { pictures.Forget(LogoKey(item)); });
  currentFolder = nullptr;
  channelRoot = FolderNode::MakeRoot();
  currentFolder = channelRoot.get();
}

void DataState::ClearLevel(FolderNode& level) {
  ForEachEntry(level, [this](const CatalogueItem& item) { pictures.Forget(LogoKey(item)); });
  level.ClearEntries();
}

void DataState::KeepLogo(CatalogueItem& item, platform::ArgbImage logo, std::vector<PictureKey>& dropped) {
  const std::size_t first = dropped.size();
  const bool fits = !logo.Empty() && pictures.Admit(LogoKey(item), PictureBytes(logo), dropped);
  DropPictures({dropped.begin() + static_cast<std::ptrdiff_t>(first), dropped.end()});
  if (fits) {
    item.logoImage = std::move(logo);
    item.logoDropped = 0;
  } else {
    item.logoImage = {};
    item.logoDropped = logo.Empty() ? 0 : 1;
  }
}

void DataState::DropPictures(const std::vector<PictureKey>& dropped) {
  if (dropped.empty()) return;
  ForEachEntry(*channelRoot, [&dropped](CatalogueItem& item) {
    if (std::find(dropped.begin(), dropped.end(), LogoKey(item)) == dropped.end() || item.logoImage.Empty()) return;
    item.logoImage = {};
    item.logoDropped = 1;
  });
}

std::unique_ptr<ProgrammeElement> DataState::MakeVideoRoot() {
  auto root = std::make_unique<ProgrammeElement>();
  root->id = 0;
  root->type = ProgrammeElement::kFolderType;
  return root;
}

void DataState::FreeDataLists() {
  countries.clear();
  operators.clear();
  zones.clear();
  shortNumbers.clear();
  qualities.clear();
  helpThemes.clear();
  messages.clear();
  messagePage = 1;
  messageTotal = 0;
  ResetChannelTree();
  videoRoot = MakeVideoRoot();
  detachedVideos.clear();
  nowNextEntries.clear();
  videoDetail.reset();
  previews = {};
  pictures.Clear();
}

}  // namespace kestrova::model
