// What a channel catalogue entry is, and whether its channel can be
// watched, from the fields the catalogue answer fills in; the screens draw,
// label and act on an entry by this kind alone.
#pragma once

#include "model/catalogue_records.h"

namespace kestrova::ui::screens {

enum class EntryKind {
  kSubFolder,   // a "folder" element: opens the level below
  kMustBuy,     // entry 10000 of a paid package: the subscription offer
  kNotLoaded,   // entry 10001 of a paid package: loads the package again
  kChannel,     // a "channel" element: its card
};

EntryKind KindOf(const model::CatalogueItem& entry);

// A channel can be watched when the user may see it (free 1, also for a
// channel of a package the user pays for) and it is broadcast live
// (have_video 1).
bool CanWatch(const model::CatalogueItem& entry);

// The entry at `index` of the level, or null when the index is out of range.
model::CatalogueItem* EntryAt(const model::FolderNode& folder, int index);

// The index of the first channel with `channelId` in the level, or -1.
int IndexOfChannel(const model::FolderNode& folder, int channelId);

}  // namespace kestrova::ui::screens
