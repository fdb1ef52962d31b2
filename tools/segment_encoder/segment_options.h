// The encoder tool's command line.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "segment_encoder/segment_recipe.h"

namespace kestrova::encoder {

struct SegmentOptions {
  SegmentRecipe recipe;
  std::filesystem::path output;
};

// Parsed options, or nullopt with `error` set (or empty for --help).
std::optional<SegmentOptions> ParseSegmentOptions(const std::vector<std::string>& arguments, std::string& error);

extern const char* const kSegmentUsage;

}  // namespace kestrova::encoder
