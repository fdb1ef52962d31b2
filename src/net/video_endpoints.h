// The video catalogue: folders loaded page by page, the details of one
// video, and marking a video as a favourite with the bookkeeping that keeps
// the favourites folder in step.
#pragma once

#include <memory>

#include "model/programme_records.h"
#include "model/request_result.h"
#include "net/api_context.h"

namespace kestrova::net {

inline constexpr int kVideosPerPage = 10;
// First-child modes of Videos.
inline constexpr int kNormalFirstChild = model::ProgrammeElement::kNewId;
inline constexpr int kMakeFavouritesChild = model::ProgrammeElement::kFavouritesFolderId;
// Name of the favourites folder (localised text).
inline constexpr int kFavouritesNameTextId = 7;

// videos.php for the folder's next page when the folder needs one (no
// children; the root with fewer than 2; or, unless keepComplete, fewer
// children than its total), else ok at once. With kMakeFavouritesChild the
// favourites folder is made as the folder's next child and loaded instead.
model::RequestResultPtr Videos(const ApiContext& api, model::ProgrammeElement& folder, int keepComplete, int firstChildMode);

// video.php for the video id: `detail` is released first and receives the
// answer's video.
model::RequestResultPtr VideoDetails(const ApiContext& api, int videoId, std::unique_ptr<model::ProgrammeElement>& detail);

// add_favorite.php: flips the video's favourite flag on the server, copies
// the new state to every record of the video and adds it to or removes it
// from the favourites folder.
model::RequestResultPtr ToggleFavorite(const ApiContext& api, model::ProgrammeElement& video);

}  // namespace kestrova::net
