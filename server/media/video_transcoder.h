// Transcodes one whole media file into one stream quality: a single Ogg
// file with a Theora stream of the quality's pictures (fitted with bars) and
// a Vorbis stream of the streams' sound format, written page by page as the
// source is decoded, so that a long film takes no more memory than a short
// one. For the catalogue's on-demand videos.
#pragma once

#include <atomic>
#include <filesystem>
#include <string>

namespace kestrova::server::media {

// Empty on success, else why it failed; `stop` ends it early (a failure).
std::string TranscodeVideo(const std::filesystem::path& source, int quality, const std::filesystem::path& out,
                           const std::atomic<bool>& stop);

}  // namespace kestrova::server::media
