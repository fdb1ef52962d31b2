// Drawing into an RGB565 bitmap: fills, one-pixel lines, opaque and
// colour-keyed copies, alpha-blended images and coverage masks (text), all
// limited to the canvas's clip rectangle. The canvas does not own the bitmap.
#pragma once

#include <cstdint>

#include "platform/argb_image.h"
#include "platform/bitmap.h"
#include "platform/colour.h"
#include "platform/rect.h"

namespace kestrova::platform {

Rect Intersect(const Rect& a, const Rect& b);
bool Contains(const Rect& r, int x, int y);  // right and bottom edges excluded

// An 8-bit coverage mask (a rendered glyph): 0 leaves the target, 255 paints
// the colour fully.
struct CoverageMask {
  const std::uint8_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int pitch = 0;
};

class Canvas {
 public:
  explicit Canvas(Bitmap& target);

  Bitmap& Target() const { return *target_; }
  Rect Bounds() const { return target_->Bounds(); }
  Rect Clip() const { return clip_; }
  // The clip is always kept inside the bitmap.
  void SetClip(const Rect& clip) { clip_ = Intersect(clip, Bounds()); }

  void Fill(const Rect& area, Colour colour);
  // A solid line from (x1, y1) up to but not including (x2, y2).
  void Line(int x1, int y1, int x2, int y2, Colour colour);
  // The one-pixel outline just inside the rectangle.
  void Frame(const Rect& area, Colour colour);
  void SetPixel(int x, int y, Colour colour);

  // Copies the source area of `source` with its top-left corner at (x, y).
  void Copy(const Bitmap& source, int x, int y);
  void Copy(const Bitmap& source, const Rect& sourceArea, int x, int y);
  // The same, leaving the target alone where the source has the key value.
  void CopyKeyed(const Bitmap& source, int x, int y, std::uint16_t key565);
  // Blends a 32-bit ARGB image by its alpha channel.
  void Blend(const ArgbImage& argb, int x, int y);
  // Paints `colour` through a coverage mask.
  void PaintMask(const CoverageMask& mask, int x, int y, Colour colour);

 private:
  // The part of a w x h block placed at (x, y) that lies inside the clip,
  // and the offset into the block where it starts.
  struct Span {
    Rect target;
    int sourceX;
    int sourceY;
  };
  bool ClipBlock(int x, int y, int w, int h, Span& span) const;

  Bitmap* target_;
  Rect clip_;
};

// Sets a canvas's clip for one scope and restores the previous one after.
class ClipScope {
 public:
  ClipScope(Canvas& canvas, const Rect& clip) : canvas_(canvas), saved_(canvas.Clip()) {
    canvas_.SetClip(Intersect(clip, saved_));
  }
  ~ClipScope() { canvas_.SetClip(saved_); }
  ClipScope(const ClipScope&) = delete;
  ClipScope& operator=(const ClipScope&) = delete;

 private:
  Canvas& canvas_;
  Rect saved_;
};

}  // namespace kestrova::platform
