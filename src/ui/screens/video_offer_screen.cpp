#include "ui/screens/video_offer_screen.h"

#include <algorithm>
#include <utility>

#include "net/on_demand_url.h"
#include "net/version_endpoint.h"
#include "resources/string_table.h"
#include "ui/bars.h"
#include "ui/painter.h"
#include "ui/rows.h"
#include "ui/screens/balance_text.h"
#include "ui/screens/details_screen.h"
#include "ui/screens/list_drawing.h"
#include "ui/skin_image_table.h"
#include "ui/ticker.h"

namespace kestrova::ui::screens {
namespace {

constexpr int kRowsPerPage = 4;
constexpr int kBalanceRow = 1;  // the balance band at y = 64
constexpr int kFirstRow = 2;    // the offers from y = 96
constexpr int kSoftKeyOpen = 65;
constexpr int kNotOpenedText = 25;

}  // namespace

VideoOfferScreen::VideoOfferScreen() : VideoOfferScreen(net::LaunchBrowser) {}

VideoOfferScreen::VideoOfferScreen(BrowserLauncher launcher)
    : CatalogueScreen(kVideoOfferScreen, kRowsPerPage, true, 0), launcher_(std::move(launcher)) {}

bool VideoOfferScreen::Enter(const ScreenEntry& entry) {
  const auto* details = dynamic_cast<const DetailsScreen*>(Owner()->GetScreen(entry.from));
  if (details == nullptr || details->Record() == nullptr) return false;
  video_ = details->Record();
  ResetList(static_cast<int>(video_->purchaseQualities.size()));
  ShiftRows(0, kFirstRow * kRowHeight);
  scrollBar_ = std::make_unique<ScrollBar>(itemCount_ - rowsPerPage_, ScrollBar::kWidth, RowTop(kFirstRow),
                                           ScrollBar::kRight, RowTop(kFirstRow + kRowsPerPage));
  return true;
}

void VideoOfferScreen::Activate() {
  if (video_ == nullptr || selection_ < 0 || static_cast<std::size_t>(selection_) >= video_->purchaseQualities.size()) {
    return;  // a stale selection
  }
  const model::PurchaseQualityRecord& offer = *video_->purchaseQualities[static_cast<std::size_t>(selection_)];
  const std::wstring url = net::OnDemandUrl(Data(), video_->id, offer.id);
  if (!launcher_ || !launcher_(url)) {
    ShowPopupById(false, kPopupErrorTitle, resources::Strings().Get(kNotOpenedText), kNoKey, kNoKey);
  }
}

void VideoOfferScreen::Back() { Navigate(kDetailsScreen); }

void VideoOfferScreen::Draw(Painter& painter, platform::Canvas& target) {
  DrawHeader(painter, target, kImageIconTv, video_ != nullptr ? std::wstring_view(video_->name) : L"", L"");
  DrawTextBlockRow(painter, target, kBalanceRow, BalanceText(Data().accountBalance), 1, 0);
  if (video_ != nullptr) {
    const auto& offers = video_->purchaseQualities;
    DrawListRows(
        painter, target, *this,
        [&](int i, ListRowParts& parts) -> std::wstring {
          if (i < 0 || static_cast<std::size_t>(i) >= offers.size()) return {};
          const model::PurchaseQualityRecord& offer = *offers[static_cast<std::size_t>(i)];
          parts.rightText = offer.size;
          return offer.name;
        },
        kFirstRow);
  }
  if (scrollBar_) scrollBar_->Draw(target);
  DrawSoftKeyBar(painter, target, itemCount_ > 0 ? kSoftKeyOpen : kNoSoftKey, kNoSoftKey, kSoftKeyBack);
}

}  // namespace kestrova::ui::screens
