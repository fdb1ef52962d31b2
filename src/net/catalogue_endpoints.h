// The channel catalogue: one folder level per request, with the entries a
// paid package adds, and the programme days of every channel that has a
// programme.
#pragma once

#include <cstdint>

#include "model/request_result.h"
#include "net/api_context.h"

namespace kestrova::net {


// Localised texts of the special entries of a paid package.
inline constexpr int kBuyPackageTextId = 134;
inline constexpr int kReloadPackageTextId = 135;
// The days of programme the service offers: today and the six after it.
inline constexpr int kProgrammeDayCount = 7;
// No entry is selected.
inline constexpr int kNoSelectedEntry = -1;

// catchan.php for the current folder level. When the level has a descent
// pending, the entry at `selectedEntry` of the current level is opened as
// a new child level first (a selection that is not a sub-folder entry
// leaves the current level). A paid package (a level below the root with
// free 0) lists entry 10000 first and entries 10000 and 10001 last. The
// logos of the other entries are fetched after the answer. Always
// succeeds: a failed request leaves the level empty.
model::RequestResultPtr ChannelCatalogue(const ApiContext& api, int selectedEntry = kNoSelectedEntry);

// Gives the channel one programme day per day the service offers, each at
// 00:00 local time, from the day of `serverNow` on.
void AddProgrammeDays(model::CatalogueItem& channel, std::int64_t serverNow);

// Local 00:00 of the day `dayOffset` days after the day of `moment`; 0 when
// the date cannot be computed.
std::int64_t LocalMidnight(std::int64_t moment, int dayOffset);

}  // namespace kestrova::net
