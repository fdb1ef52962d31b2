#include "platform/bitmap.h"

namespace kestrova::platform {

Bitmap::Bitmap(int width, int height) {
  if (width <= 0 || height <= 0) return;
  surface_ = CreateRgb565Surface(width, height);
}

}  // namespace kestrova::platform
