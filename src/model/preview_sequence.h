// The preview pictures of the video whose details are shown, in download
// order; a picture is empty when its download or decoding failed, so later
// pictures keep their numbers.
#pragma once

#include <vector>

#include "model/programme_records.h"
#include "platform/argb_image.h"

namespace kestrova::model {

struct PreviewSequence {
  const ProgrammeElement* video = nullptr;  // its preview link is the base URL; not owning
  std::vector<platform::ArgbImage> pictures;
};

}  // namespace kestrova::model
