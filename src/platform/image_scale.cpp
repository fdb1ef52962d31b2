#include "platform/image_scale.h"

#include <algorithm>

namespace kestrova::platform {
namespace {

constexpr std::uint32_t kChannelMask = 0xFFU;
constexpr unsigned kAlphaShift = 24;
constexpr unsigned kRedShift = 16;
constexpr unsigned kGreenShift = 8;

}  // namespace

ImageSize FitInBox(int width, int height, int maxWidth, int maxHeight) {
  if (width <= 0 || height <= 0 || maxWidth <= 0 || maxHeight <= 0) return {};
  if (width <= maxWidth && height <= maxHeight) return {width, height};
  // Whichever side is the tighter fit sets the scale; the other follows,
  // rounded to the nearest pixel.
  const std::int64_t w = width;
  const std::int64_t h = height;
  if (w * maxHeight >= h * maxWidth) {
    const auto fitted = static_cast<int>((h * maxWidth + w / 2) / w);
    return {maxWidth, std::clamp(fitted, 1, maxHeight)};
  }
  const auto fitted = static_cast<int>((w * maxHeight + h / 2) / h);
  return {std::clamp(fitted, 1, maxWidth), maxHeight};
}

// Source and output are laid over one another in units of 1 / (source size
// x output size) of the whole side: a source pixel is outputSize units
// long, an output pixel sourceSize units. Since the output is never larger,
// a source pixel touches at most two output pixels, and the units are whole
// numbers, so the weights are exact.
AreaScaler::AreaScaler(int sourceWidth, int sourceHeight, ArgbImage& target)
    : sourceWidth_(std::max(sourceWidth, 0)), sourceHeight_(std::max(sourceHeight, 0)), target_(target) {
  if (target_.Empty() || target_.Width() > sourceWidth_ || target_.Height() > sourceHeight_) {
    sourceHeight_ = 0;  // nothing to make: Done() at once
    return;
  }
  const auto outputWidth = static_cast<std::uint64_t>(target_.Width());
  columns_.resize(static_cast<std::size_t>(sourceWidth_));
  for (int x = 0; x < sourceWidth_; ++x) {
    const std::uint64_t start = static_cast<std::uint64_t>(x) * outputWidth;
    const std::uint64_t column = start / static_cast<std::uint64_t>(sourceWidth_);
    const std::uint64_t columnEnd = (column + 1) * static_cast<std::uint64_t>(sourceWidth_);
    columns_[static_cast<std::size_t>(x)] = {static_cast<int>(column),
                                             static_cast<std::uint32_t>(std::min(start + outputWidth, columnEnd) - start)};
  }
  line_.resize(static_cast<std::size_t>(target_.Width()));
  rows_.resize(static_cast<std::size_t>(target_.Width()));
}

void AreaScaler::AddRow(const std::uint32_t* row) {
  if (Done() || row == nullptr) return;
  const auto outputWidth = static_cast<std::uint32_t>(target_.Width());
  for (int x = 0; x < sourceWidth_; ++x) {
    const std::uint32_t pixel = row[x];
    const std::uint64_t alpha = pixel >> kAlphaShift;
    if (alpha == 0) continue;  // adds nothing to any sum
    const std::uint64_t red = (pixel >> kRedShift & kChannelMask) * alpha;
    const std::uint64_t green = (pixel >> kGreenShift & kChannelMask) * alpha;
    const std::uint64_t blue = (pixel & kChannelMask) * alpha;
    const ColumnSpan span = columns_[static_cast<std::size_t>(x)];
    Sums& first = line_[static_cast<std::size_t>(span.column)];
    first.alpha += alpha * span.firstWeight;
    first.red += red * span.firstWeight;
    first.green += green * span.firstWeight;
    first.blue += blue * span.firstWeight;
    if (span.firstWeight < outputWidth) {
      const std::uint64_t rest = outputWidth - span.firstWeight;
      Sums& second = line_[static_cast<std::size_t>(span.column) + 1];
      second.alpha += alpha * rest;
      second.red += red * rest;
      second.green += green * rest;
      second.blue += blue * rest;
    }
  }
  const auto outputHeight = static_cast<std::uint64_t>(target_.Height());
  const auto sourceHeight = static_cast<std::uint64_t>(sourceHeight_);
  const std::uint64_t start = static_cast<std::uint64_t>(sourceRow_) * outputHeight;
  const std::uint64_t end = start + outputHeight;
  const std::uint64_t boundary = static_cast<std::uint64_t>(outputRow_ + 1) * sourceHeight;
  const auto addLine = [this](std::uint64_t weight) {
    for (std::size_t x = 0; x < rows_.size(); ++x) {
      rows_[x].alpha += line_[x].alpha * weight;
      rows_[x].red += line_[x].red * weight;
      rows_[x].green += line_[x].green * weight;
      rows_[x].blue += line_[x].blue * weight;
    }
  };
  if (end <= boundary) {
    addLine(outputHeight);
    if (end == boundary) EmitRow();
  } else {
    addLine(boundary - start);
    EmitRow();
    addLine(end - boundary);
  }
  std::fill(line_.begin(), line_.end(), Sums{});
  ++sourceRow_;
}

void AreaScaler::EmitRow() {
  if (outputRow_ < target_.Height()) {
    // Every output pixel covers sourceWidth x sourceHeight square units.
    const std::uint64_t area = static_cast<std::uint64_t>(sourceWidth_) * static_cast<std::uint64_t>(sourceHeight_);
    std::uint32_t* out = target_.Row(outputRow_);
    for (std::size_t x = 0; x < rows_.size(); ++x) {
      const Sums& sums = rows_[x];
      if (sums.alpha == 0) {
        out[x] = 0;
        continue;
      }
      // Colours divided by the weight of the opaque part only: the mean
      // colour of what can be seen.
      const auto channel = [&sums](std::uint64_t sum) {
        return static_cast<std::uint32_t>(std::min<std::uint64_t>((sum + sums.alpha / 2) / sums.alpha, kChannelMask));
      };
      const auto alpha = static_cast<std::uint32_t>(std::min<std::uint64_t>((sums.alpha + area / 2) / area, kChannelMask));
      out[x] = alpha << kAlphaShift | channel(sums.red) << kRedShift | channel(sums.green) << kGreenShift |
               channel(sums.blue);
    }
    ++outputRow_;
  }
  std::fill(rows_.begin(), rows_.end(), Sums{});
}

ArgbImage ShrinkToFit(const ArgbImage& picture, int maxWidth, int maxHeight) {
  const ImageSize size = FitInBox(picture.Width(), picture.Height(), maxWidth, maxHeight);
  if (picture.Empty() || size.width == 0) return {};
  if (size.width == picture.Width() && size.height == picture.Height()) return picture;
  ArgbImage small(size.width, size.height);
  AreaScaler scaler(picture.Width(), picture.Height(), small);
  for (int y = 0; y < picture.Height(); ++y) scaler.AddRow(picture.Row(y));
  return small;
}

}  // namespace kestrova::platform
