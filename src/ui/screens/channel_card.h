// The channel card under the header of the channel screens: its background,
// the channel's logo and its name and description as tickers; without a
// channel, the text that there is none.
#pragma once

#include "model/catalogue_records.h"
#include "platform/canvas.h"

namespace kestrova::ui {
class Painter;
}  // namespace kestrova::ui

namespace kestrova::ui::screens {

constexpr int kCardHeight = 64;
constexpr int kCardNameTicker = 6;
constexpr int kCardDescriptionTicker = 7;

// Draws the card with its top at y = `top` (the header's bottom).
void DrawChannelCard(Painter& painter, platform::Canvas& target, const model::CatalogueItem* channel, int top);

}  // namespace kestrova::ui::screens
