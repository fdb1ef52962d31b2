#include "ui/screens/logo_thumbnail.h"

#include <algorithm>

namespace kestrova::ui::screens {

platform::ArgbImage FitLogo(const platform::ArgbImage& logo, int maxSide) {
  if (logo.Empty() || maxSide < 1) return {};
  const int longest = std::max(logo.Width(), logo.Height());
  if (longest <= maxSide) return logo;
  const int width = std::max(logo.Width() * maxSide / longest, 1);
  const int height = std::max(logo.Height() * maxSide / longest, 1);
  platform::ArgbImage small(width, height);
  for (int y = 0; y < height; ++y) {
    const int sourceY = y * logo.Height() / height;
    for (int x = 0; x < width; ++x) small.Row(y)[x] = logo.PixelAt(x * logo.Width() / width, sourceY);
  }
  return small;
}

}  // namespace kestrova::ui::screens
