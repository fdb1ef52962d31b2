#include "platform/canvas.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace kestrova::platform {

Rect Intersect(const Rect& a, const Rect& b) {
  Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  if (r.Empty()) return {};
  return r;
}

bool Contains(const Rect& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

Canvas::Canvas(Bitmap& target) : target_(&target), clip_(target.Bounds()) {}

bool Canvas::ClipBlock(int x, int y, int w, int h, Span& span) const {
  const Rect placed{x, y, x + w, y + h};
  span.target = Intersect(placed, clip_);
  if (span.target.Empty()) return false;
  span.sourceX = span.target.left - x;
  span.sourceY = span.target.top - y;
  return true;
}

void Canvas::Fill(const Rect& area, Colour colour) {
  if (target_->Empty()) return;
  const Rect r = Intersect(area, clip_);
  if (r.Empty()) return;
  const std::uint16_t value = ToRgb565(colour);
  for (int y = r.top; y < r.bottom; ++y) std::fill_n(target_->Row(y) + r.left, r.Width(), value);
}

void Canvas::SetPixel(int x, int y, Colour colour) {
  if (target_->Empty() || !Contains(clip_, x, y)) return;
  target_->Row(y)[x] = ToRgb565(colour);
}

void Canvas::Line(int x1, int y1, int x2, int y2, Colour colour) {
  if (target_->Empty()) return;
  if (y1 == y2) {
    if (x1 <= x2) Fill({x1, y1, x2, y1 + 1}, colour);
    else Fill({x2 + 1, y1, x1 + 1, y1 + 1}, colour);
    return;
  }
  if (x1 == x2) {
    if (y1 <= y2) Fill({x1, y1, x1 + 1, y2}, colour);
    else Fill({x1, y2 + 1, x1 + 1, y1 + 1}, colour);
    return;
  }
  // Bresenham; the end point is not drawn, as with the handset's line call.
  const std::uint16_t value = ToRgb565(colour);
  const int dx = std::abs(x2 - x1);
  const int dy = -std::abs(y2 - y1);
  const int sx = x1 < x2 ? 1 : -1;
  const int sy = y1 < y2 ? 1 : -1;
  int error = dx + dy;
  int x = x1;
  int y = y1;
  while (x != x2 || y != y2) {
    if (Contains(clip_, x, y)) target_->Row(y)[x] = value;
    const int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x += sx;
    }
    if (twice <= dx) {
      error += dx;
      y += sy;
    }
  }
}

void Canvas::Frame(const Rect& area, Colour colour) {
  if (area.Empty()) return;
  Fill({area.left, area.top, area.right, area.top + 1}, colour);
  Fill({area.left, area.bottom - 1, area.right, area.bottom}, colour);
  Fill({area.left, area.top, area.left + 1, area.bottom}, colour);
  Fill({area.right - 1, area.top, area.right, area.bottom}, colour);
}

void Canvas::Copy(const Bitmap& source, int x, int y) { Copy(source, source.Bounds(), x, y); }

void Canvas::Copy(const Bitmap& source, const Rect& sourceArea, int x, int y) {
  if (target_->Empty() || source.Empty()) return;
  const Rect area = Intersect(sourceArea, source.Bounds());
  if (area.Empty()) return;
  // Keep the placement of the requested area even when it was cut on the
  // top or left.
  x += area.left - sourceArea.left;
  y += area.top - sourceArea.top;
  Span span;
  if (!ClipBlock(x, y, area.Width(), area.Height(), span)) return;
  const std::size_t bytes = static_cast<std::size_t>(span.target.Width()) * sizeof(std::uint16_t);
  for (int row = 0; row < span.target.Height(); ++row) {
    const std::uint16_t* from = source.Row(area.top + span.sourceY + row) + area.left + span.sourceX;
    std::uint16_t* to = target_->Row(span.target.top + row) + span.target.left;
    std::memmove(to, from, bytes);
  }
}

void Canvas::CopyKeyed(const Bitmap& source, int x, int y, std::uint16_t key565) {
  if (target_->Empty() || source.Empty()) return;
  Span span;
  if (!ClipBlock(x, y, source.Width(), source.Height(), span)) return;
  const int width = span.target.Width();
  for (int row = 0; row < span.target.Height(); ++row) {
    const std::uint16_t* from = source.Row(span.sourceY + row) + span.sourceX;
    std::uint16_t* to = target_->Row(span.target.top + row) + span.target.left;
    for (int i = 0; i < width; ++i) {
      if (from[i] != key565) to[i] = from[i];
    }
  }
}

void Canvas::Blend(const ArgbImage& argb, int x, int y) {
  if (target_->Empty() || argb.Empty()) return;
  Span span;
  if (!ClipBlock(x, y, argb.Width(), argb.Height(), span)) return;
  const int width = span.target.Width();
  for (int row = 0; row < span.target.Height(); ++row) {
    const std::uint32_t* from = argb.Row(span.sourceY + row) + span.sourceX;
    std::uint16_t* to = target_->Row(span.target.top + row) + span.target.left;
    for (int i = 0; i < width; ++i) {
      const std::uint32_t p = from[i];
      const unsigned alpha = p >> 24U;
      if (alpha == 0) continue;
      const Colour c{static_cast<std::uint8_t>(p >> 16U), static_cast<std::uint8_t>(p >> 8U),
                     static_cast<std::uint8_t>(p)};
      to[i] = BlendRgb565(to[i], c, alpha);
    }
  }
}

void Canvas::PaintMask(const CoverageMask& mask, int x, int y, Colour colour) {
  if (target_->Empty() || mask.pixels == nullptr) return;
  Span span;
  if (!ClipBlock(x, y, mask.width, mask.height, span)) return;
  const int width = span.target.Width();
  const std::uint16_t solid = ToRgb565(colour);
  for (int row = 0; row < span.target.Height(); ++row) {
    const std::uint8_t* from = mask.pixels + (span.sourceY + row) * mask.pitch + span.sourceX;
    std::uint16_t* to = target_->Row(span.target.top + row) + span.target.left;
    for (int i = 0; i < width; ++i) {
      const unsigned coverage = from[i];
      if (coverage == 0) continue;
      to[i] = coverage == 255 ? solid : BlendRgb565(to[i], colour, coverage);
    }
  }
}

}  // namespace kestrova::platform
