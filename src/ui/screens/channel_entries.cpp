#include "ui/screens/channel_entries.h"

namespace kestrova::ui::screens {

EntryKind KindOf(const model::CatalogueItem& entry) {
  if (entry.isFolder != 0) return EntryKind::kSubFolder;
  if (entry.reloadEntry != 0) return EntryKind::kNotLoaded;
  if (entry.noLogo != 0 && entry.id == model::CatalogueItem::kBuyPackageId) return EntryKind::kMustBuy;
  return EntryKind::kChannel;
}

bool CanWatch(const model::CatalogueItem& entry) {
  return KindOf(entry) == EntryKind::kChannel && entry.free != 0 && entry.haveVideo != 0;
}

model::CatalogueItem* EntryAt(const model::FolderNode& folder, int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= folder.entries.size()) return nullptr;
  return folder.entries[static_cast<std::size_t>(index)].get();
}

int IndexOfChannel(const model::FolderNode& folder, int channelId) {
  for (std::size_t i = 0; i < folder.entries.size(); ++i) {
    const model::CatalogueItem& entry = *folder.entries[i];
    if (KindOf(entry) == EntryKind::kChannel && entry.id == channelId) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace kestrova::ui::screens
