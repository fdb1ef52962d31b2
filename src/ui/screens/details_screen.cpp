#include "ui/screens/details_screen.h"

#include <algorithm>
#include <string>

#include "model/command_ids.h"
#include "model/record_keys.h"
#include "resources/string_table.h"
#include "ui/bars.h"
#include "ui/labels.h"
#include "ui/painter.h"
#include "ui/rows.h"
#include "ui/screens/block_programme_screen.h"
#include "ui/screens/list_drawing.h"
#include "ui/screens/now_next_screen.h"
#include "ui/screens/subscription_offer.h"
#include "ui/screens/video_catalogue_screen.h"
#include "ui/skin_image_table.h"
#include "ui/ticker.h"

namespace kestrova::ui::screens {
namespace {

constexpr int kRowsPerPage = 2;
constexpr int kFirstRow = 1;  // rows at y = 64 and y = 96
constexpr int kWatchText = 36;
constexpr int kFavouriteText = 7;
constexpr int kPayText = 72;
constexpr int kNoBillError = 1501;
constexpr int kPicturesTop = 128;

enum Row { kWatchRow = 0, kFavouriteRow = 1 };

}  // namespace

DetailsScreen::DetailsScreen() : CatalogueScreen(kDetailsScreen, kRowsPerPage, false, kRowsPerPage) {}

bool DetailsScreen::Enter(const ScreenEntry& entry) {
  model::ProgrammeElement* record = nullptr;
  switch (entry.from) {
    case kBlockProgrammeScreen:
      if (const auto* block = dynamic_cast<const BlockProgrammeScreen*>(Owner()->GetScreen(entry.from))) {
        record = block->SelectedEntry();
      }
      break;
    case kNowNextScreen:
      if (const auto* nowNext = dynamic_cast<const NowNextScreen*>(Owner()->GetScreen(entry.from))) {
        record = nowNext->SelectedEntry();
      }
      break;
    case kPlayerScreen: record = Data().videoDetail.get(); break;
    case kVideoCatalogueScreen:
      if (const auto* catalogue = dynamic_cast<const VideoCatalogueScreen*>(Owner()->GetScreen(entry.from))) {
        record = catalogue->SelectedEntry();
      }
      break;
    default: break;
  }
  if (record == nullptr) return false;  // a stale selection
  record_ = record;
  returnScreen_ = entry.from;
  wantsToWatch_ = false;
  retryWithBill_ = false;
  offerShown_ = false;
  ResetList(kRowsPerPage);
  ShiftRows(0, kFirstRow * kRowHeight);
  // The pictures are downloaded into a delivery of their own and added to
  // the sequence here, so only this thread ever touches the sequence.
  model::PreviewSequence& previews = Data().previews;
  previews.pictures.clear();
  previews.video = record;
  delivery_.reset();
  requested_ = 0;
  loaded_ = 0;
  shown_ = 0;
  RequestPicture();
  return true;
}

void DetailsScreen::RequestPicture() {
  if (requested_ >= kMaxPictures || record_ == nullptr || record_->previewLink.empty()) return;
  ++requested_;
  delivery_ = std::make_shared<PreviewDelivery>();
  CommandParameters parameters;
  parameters.text = record_->previewLink + std::to_wstring(requested_) + L".jpg";
  parameters.preview = delivery_;
  Submit(model::kCommandNextPreview, parameters, false);
}

bool DetailsScreen::RunSecondStep() {
  NextPicture();
  return true;
}

void DetailsScreen::NextPicture() {
  const auto& pictures = Data().previews.pictures;
  const int count = std::min(loaded_, static_cast<int>(pictures.size()));
  for (int step = 1; step <= count; ++step) {
    const int next = (shown_ + step) % count;
    if (!pictures[static_cast<std::size_t>(next)].Empty()) {
      if (next != shown_) Owner()->SetNeedsRedraw();
      shown_ = next;
      return;
    }
  }
}

void DetailsScreen::SubmitBuyInfo() {
  CommandParameters parameters;
  parameters.video = model::KeyOf(Data(), record_);
  Submit(model::kCommandBuyInfo, parameters);
}

void DetailsScreen::Activate() {
  if (record_ == nullptr) return;
  if (selection_ == kWatchRow) {
    wantsToWatch_ = true;
    if (record_->infoLoaded != 0 && !record_->purchaseQualities.empty()) {
      // Bought in this session: its options are at hand. Asking again would
      // only be refused without a request and reported as a failure.
      Navigate(kVideoOfferScreen);
    } else if (!record_->purchaseQualities.empty()) {
      SubmitBuyInfo();
    } else {
      offerShown_ = true;
      ShowPopupById(true, kOfferTitle, resources::Strings().Get(kPayText), kConfirmKey, kDeclineKey);
    }
  } else if (selection_ == kFavouriteRow) {
    CommandParameters parameters;
    parameters.video = model::KeyOf(Data(), record_);
    Submit(model::kCommandFavourite, parameters);
  }
}

void DetailsScreen::OnPopupKey(int key) {
  const bool offer = offerShown_;
  offerShown_ = false;
  ClosePopup();
  if (!offer || key != kKeyLeftSoft) return;
  if (retryWithBill_) {
    Submit(model::kCommandBill);
  } else {
    SubmitBuyInfo();
  }
  retryWithBill_ = false;
}

void DetailsScreen::Back() {
  switch (returnScreen_) {
    case kVideoCatalogueScreen:
    case kNowNextScreen:
    case kPlayerScreen: Navigate(returnScreen_); break;
    default: Navigate(kBlockProgrammeScreen); break;
  }
}

void DetailsScreen::OnRequestDone(int command, model::RequestResultPtr result) {
  switch (command) {
    case model::kCommandNextPreview:
      // A result whose picture is not this screen's (left over from an
      // earlier visit) or not there yet changes nothing.
      if (!result || !result->ok || !delivery_ || !delivery_->done.load(std::memory_order_acquire)) return;
      Data().previews.pictures.push_back(std::move(delivery_->picture));
      delivery_.reset();
      ++loaded_;
      if (static_cast<std::size_t>(shown_) >= Data().previews.pictures.size() ||
          Data().previews.pictures[static_cast<std::size_t>(shown_)].Empty()) {
        NextPicture();
      }
      Owner()->SetNeedsRedraw();
      RequestPicture();
      return;
    case model::kCommandBuyInfo:
      if (result && !result->ok && result->errorId != kNoBillError) {
        offerShown_ = true;
        retryWithBill_ = true;
        ShowPopupById(true, kPopupErrorTitle, result->message, kConfirmKey, kDeclineKey);
        return;
      }
      if (Succeeded(result) && wantsToWatch_) Navigate(kVideoOfferScreen);
      return;
    case model::kCommandFavourite:
    case model::kCommandBill:
      if (Succeeded(result)) Owner()->SetNeedsRedraw();
      return;
    default: return;
  }
}

void DetailsScreen::Draw(Painter& painter, platform::Canvas& target) {
  DrawHeader(painter, target, kImageIconTv, record_ != nullptr ? std::wstring_view(record_->name) : L"", L"");
  const resources::StringTable& strings = resources::Strings();
  DrawListRow(painter, target, kFirstRow, strings.Get(kWatchText), selection_ == kWatchRow, kTickerFirstRow + kFirstRow);
  ListRowParts favourite;
  if (record_ != nullptr && record_->favorite != 0) favourite.rightIcon = kImageIconMoney;
  DrawListRow(painter, target, kFirstRow + 1, strings.Get(kFavouriteText), selection_ == kFavouriteRow,
              kTickerFirstRow + kFirstRow + 1, favourite);
  const auto& pictures = Data().previews.pictures;
  if (loaded_ > 0) {
    // Which of the pictures that arrived is shown, above the rows.
    const std::wstring counter = std::to_wstring(shown_ + 1) + L" / " + std::to_wstring(loaded_);
    DrawLabel(painter, target, counter, {0, kRowHeight, painter.ScreenWidth(), 2 * kRowHeight}, kLabelCentred,
              painter.FontText(), kWhite, 0, false);
  }
  if (shown_ < loaded_ && static_cast<std::size_t>(shown_) < pictures.size()) {
    const platform::ArgbImage& picture = pictures[static_cast<std::size_t>(shown_)];
    const int bottom = painter.ScreenHeight() - painter.Image(kImageBottomLine).height;
    const platform::Rect area{0, kPicturesTop, painter.ScreenWidth(), bottom};
    if (!picture.Empty()) {
      const platform::ClipScope clip(target, area);
      target.Blend(picture, (area.Width() - picture.Width()) / 2,
                   area.top + std::max((area.Height() - picture.Height()) / 2, 0));
    }
  }
  DrawSoftKeyBar(painter, target, kSoftKeySelect, kNoSoftKey, kSoftKeyBack);
}

}  // namespace kestrova::ui::screens
