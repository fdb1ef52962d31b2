#include "player/scaler.h"

#include <algorithm>

namespace kestrova::player {
namespace {

constexpr int kFractionBits = 16;
constexpr std::uint16_t kBlack = 0;

// Destination positions below this sample inside `size` source positions.
int InsideCount(int size, int step, int extent) {
  if (step <= 0) return size > 0 ? extent : 0;
  // The first position whose sample, (step x i) >> 16, reaches `size`.
  const long long first = ((static_cast<long long>(size) << kFractionBits) + step - 1) / step;
  return static_cast<int>(std::min<long long>(first, extent));
}

}  // namespace

void Scale(const ScaleSource& source, const ScaleTarget& target, int step) {
  if (target.start == nullptr || target.columns <= 0 || target.rows <= 0) return;
  const bool valid = source.columns > 0 && source.rows > 0 &&
                     source.pixels.size() >= static_cast<std::size_t>(source.columns) * static_cast<std::size_t>(source.rows);
  const int insideColumns = valid ? InsideCount(source.columns, step, target.columns) : 0;
  const int insideRows = valid ? InsideCount(source.rows, step, target.rows) : 0;
  for (int i = 0; i < target.rows; ++i) {
    std::uint16_t* out = target.start + i * target.rowStep;
    if (i >= insideRows) {
      std::fill_n(out, target.columns, kBlack);
      continue;
    }
    const std::uint16_t* row =
        source.pixels.data() + static_cast<std::ptrdiff_t>((static_cast<long long>(step) * i) >> kFractionBits) * source.columns;
    long long position = 0;
    for (int j = 0; j < insideColumns; ++j, position += step) out[j] = row[position >> kFractionBits];
    std::fill(out + insideColumns, out + target.columns, kBlack);
  }
}

}  // namespace kestrova::player
