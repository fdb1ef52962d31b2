// A logo made small enough for a list row: scaled down (nearest pixel,
// aspect kept) so that neither side exceeds the row's icon size.
#pragma once

#include "platform/argb_image.h"

namespace kestrova::ui::screens {

// The picture itself when it already fits, else its scaled-down copy;
// empty for an empty picture or a size below 1.
platform::ArgbImage FitLogo(const platform::ArgbImage& logo, int maxSide);

}  // namespace kestrova::ui::screens
