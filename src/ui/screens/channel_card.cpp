#include "ui/screens/channel_card.h"

#include "resources/string_table.h"
#include "ui/labels.h"
#include "ui/painter.h"
#include "ui/skin_image_table.h"

namespace kestrova::ui::screens {
namespace {

constexpr int kLogoX = 7;
constexpr int kTextGap = 14;        // from the logo (or the left edge) to the texts
constexpr int kNameTop = 33;
constexpr int kNameBottom = 65;
constexpr int kDescriptionBottom = 97;
constexpr int kNoChannelInset = 35;
constexpr int kNoChannelText = 49;

}  // namespace

void DrawChannelCard(Painter& painter, platform::Canvas& target, const model::CatalogueItem* channel, int top) {
  DrawImage(painter, target, kImagePlate, 0, top);
  const int width = painter.ScreenWidth();
  if (channel == nullptr) {
    DrawLabel(painter, target, resources::Strings().Get(kNoChannelText),
              {kNoChannelInset, kNameTop, width - kNoChannelInset, kDescriptionBottom}, kLabelBlock,
              painter.FontText(), kBlack, 0, false);
    return;
  }
  int textLeft = kTextGap;
  const platform::ArgbImage& logo = channel->logoImage;
  if (!logo.Empty()) {
    if (painter.Data() != nullptr) painter.Data()->ShowLogo(*channel);
    target.Blend(logo, kLogoX, top + (kCardHeight - logo.Height()) / 2);
    textLeft = kLogoX + logo.Width() + kTextGap;
  }
  DrawLabel(painter, target, channel->name, {textLeft, kNameTop, width - kTextGap, kNameBottom}, kLabelBottom,
            painter.FontTitle(), kBlack, kCardNameTicker, true);
  DrawLabel(painter, target, channel->description, {textLeft, kNameBottom, width - kTextGap, kDescriptionBottom},
            kLabelLine, painter.FontText(), kBlack, kCardDescriptionTicker, true);
}

}  // namespace kestrova::ui::screens
