// Reads the content files of the data folder into a Catalogue and checks that
// they fit together (unique ids, existing references, ranges the protocol can
// carry). A broken content folder is reported, never half used.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "catalogue.h"

namespace kestrova::server {

// Channel ids go into programme block ids (see programme.h), so they are kept
// within this range.
inline constexpr int kMaxChannelId = 200;

struct CatalogueLoad {
  std::optional<Catalogue> catalogue;
  std::string error;  // file and reason when catalogue is empty
};

// The channel catalogue comes from `channels_file` when one is named, else
// from channels.xml in the data folder.
CatalogueLoad LoadCatalogue(const std::filesystem::path& data_dir, const std::filesystem::path& channels_file = {});

}  // namespace kestrova::server
