// The moving test card of a channel: colour bars across the top, the channel
// name, a running clock and a square sweeping along the bottom strip. Drawn
// as full-resolution Y'CbCr (full-range, the conversion the client undoes),
// then subsampled to the segment's chroma format.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "segment_encoder/card_font.h"
#include "segment_encoder/picture.h"
#include "segment_encoder/segment_recipe.h"

namespace kestrova::encoder {

class TestCard {
 public:
  // `frameWidth` x `frameHeight` is the coded size; the card fills the
  // picture region width x height at its top left corner.
  TestCard(const SegmentRecipe& recipe, int frameWidth, int frameHeight);

  // Draws frame number `index`; the clock shows clockStart plus the frame's
  // time in whole seconds.
  const Picture& Draw(long index);

 private:
  void DrawStill();
  void DrawText(Plane& luma, const TextMask& mask, int top, int bandHeight);
  void DrawSweep(long index);
  void SubsampleChroma();

  SegmentRecipe recipe_;
  int shiftX_ = 0;
  int shiftY_ = 0;
  // Full resolution: bars, bands and the channel name, the same on every frame.
  Plane y_;
  Plane u_;
  Plane v_;
  Picture frame_;
  std::unique_ptr<CardFont> font_;
  int nameTop_ = 0;
  int clockTop_ = 0;
  int sweepTop_ = 0;
  int bandHeight_ = 0;
  long shownSecond_ = -1;
  TextMask clockMask_;
};

}  // namespace kestrova::encoder
