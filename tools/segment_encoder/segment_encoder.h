// Encodes one self-contained Ogg segment: a Theora test card and a Vorbis
// tone of the given length, with every header in the segment itself.
#pragma once

#include <optional>
#include <string>

#include "segment_encoder/segment_recipe.h"

namespace kestrova::encoder {

// Why a recipe cannot be encoded; empty when it can.
std::string CheckRecipe(const SegmentRecipe& recipe);

// The segment's bytes, or nullopt when the recipe is refused or an encoder
// fails.
std::optional<std::string> EncodeSegment(const SegmentRecipe& recipe);

}  // namespace kestrova::encoder
