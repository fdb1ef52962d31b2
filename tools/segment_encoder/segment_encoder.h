// Encodes one self-contained Ogg segment: a Theora test card and a Vorbis
// tone of the given length, with every header in the segment itself.
#pragma once

#include <string>

#include "platform/status.h"

#include "segment_encoder/segment_recipe.h"

namespace kestrova::encoder {

// Whether a recipe can be encoded, and why not.
platform::Status CheckRecipe(const SegmentRecipe& recipe);

// The segment's bytes, or why the recipe was refused or an encoder failed.
platform::Result<std::string> EncodeSegment(const SegmentRecipe& recipe);

}  // namespace kestrova::encoder
