// The video catalogue: folders loaded page by page, the details of one
// video, and marking a video as a favourite with the bookkeeping that keeps
// the favourites folder in step.
#pragma once

#include <memory>

#include "net/programme_records.h"
#include "net/request_result.h"

namespace kestrova::app {
class CKestrovaDoc;
}

namespace kestrova::net {

inline constexpr int kVideosPerPage = 10;
// First-child modes of Videos.
inline constexpr int kNormalFirstChild = ProgrammeElement::kNewId;
inline constexpr int kMakeFavouritesChild = ProgrammeElement::kFavouritesFolderId;
// Name of the favourites folder (localised text).
inline constexpr int kFavouritesNameTextId = 7;

// videos.php for the folder's next page when the folder needs one (no
// children; the root with fewer than 2; or, unless keepComplete, fewer
// children than its total), else ok at once. With kMakeFavouritesChild the
// favourites folder is made as the folder's next child and loaded instead.
RequestResultPtr Videos(app::CKestrovaDoc& document, ProgrammeElement& folder, int keepComplete, int firstChildMode);

// video.php for the video id: `detail` is released first and receives the
// answer's video.
RequestResultPtr VideoDetails(app::CKestrovaDoc& document, int videoId, std::unique_ptr<ProgrammeElement>& detail);

// add_favorite.php: flips the video's favourite flag on the server, copies
// the new state to every record of the video and adds it to or removes it
// from the favourites folder.
RequestResultPtr ToggleFavorite(app::CKestrovaDoc& document, ProgrammeElement& video);

}  // namespace kestrova::net
