// Pictures besides the XML answers: the logo of each channel and sub-folder
// of the channel catalogue, read in one call into a buffer of the size the
// catalogue announces, and the numbered preview pictures of a video
// ("<preview link>1.jpg", "2.jpg", ...), one per request, through a
// temporary file. Both are decoded by the drawing layer's image decoder.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "model/catalogue_records.h"
#include "model/data_state.h"
#include "model/preview_sequence.h"
#include "model/programme_records.h"
#include "net/network_context.h"
#include "platform/argb_image.h"

namespace kestrova::net {

// A logo announced as larger than this is not fetched: the size comes from
// the server and is allocated before the download.
inline constexpr std::size_t kMaxLogoBytes = std::size_t{32} * 1024 * 1024;

// Pictures are kept no larger than they are drawn: a logo at most as high
// as the channel card (64) and a bit wider, so that the card's texts keep
// room beside it; a preview at most a little larger than the 240-pixel-wide
// picture area, so the usual preview sizes stay untouched. A larger picture
// is reduced as soon as it is decoded; its full size is never kept.
inline constexpr int kLogoMaxWidth = 96;
inline constexpr int kLogoMaxHeight = 64;
inline constexpr int kPreviewMaxSide = 320;

// The decoded logo at the URL, read into a buffer of the announced size;
// empty when the size is unusable or the download or decoding fails.
platform::ArgbImage FetchLogoImage(const TransferScope& scope, std::wstring_view url, int announcedSize);

// Downloads and decodes the item's logo into its logo image. A failed or
// refused download leaves the item without a logo; nothing is reported.
void FetchLogo(const TransferScope& scope, model::CatalogueItem& item);

// The logos of the level's entries in list order (the special entries have
// none), each kept within the data state's pictures' budget. Once the
// budget holds no more room than what this level's own logos take, the
// remaining logos are not fetched now but marked to be fetched when shown:
// a level of thousands of channels keeps its first logos and loads the
// others as the user scrolls to them.
void FetchFolderLogos(const TransferScope& scope, model::DataState& data, model::FolderNode& folder);

// Downloads the next numbered picture (number = pictures held + 1) and
// appends it, also when it is none. Without a video nothing happens.
void FetchNextPreview(const TransferScope& scope, model::PreviewSequence& sequence);

// The decoded picture at the URL; empty when there is none.
platform::ArgbImage FetchPreviewImage(const TransferScope& scope, std::wstring_view url);

}  // namespace kestrova::net
