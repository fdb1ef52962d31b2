#include "ui/screens/gift_code_screen.h"

#include <algorithm>

#include "model/command_ids.h"
#include "resources/string_table.h"
#include "ui/bars.h"
#include "ui/entry_edit.h"
#include "ui/labels.h"
#include "ui/painter.h"
#include "ui/rows.h"
#include "ui/screens/balance_text.h"
#include "ui/screens/list_drawing.h"
#include "ui/skin_image_table.h"
#include "ui/ticker.h"

namespace kestrova::ui::screens {
namespace {

constexpr int kTitle = 117;
constexpr int kCodeCaption = 14;
constexpr int kActivateText = 20;
constexpr int kBalanceText = 42;
constexpr int kRowCount = 3;
constexpr int kBalanceRow = 6;  // the balance band at y = 224
constexpr int kFieldInset = 28;

}  // namespace

GiftCodeScreen::GiftCodeScreen()
    : CatalogueScreen(kGiftCodeScreen, kRowCount, false, kRowCount), fields_({{kCodeRow, DrawRow(kCodeRow), false, L""}}) {
  rows_.clear();
  for (int selection = 0; selection < kRowCount; ++selection) {
    const int top = RowTop(DrawRow(selection));
    rows_.push_back({0, top, 240, top + kRowHeight, true});
  }
}

int GiftCodeScreen::DrawRow(int selection) {
  // The input at y = 64 under its caption, the buttons at y = 128 and 160.
  constexpr int kRows[kRowCount] = {1, 3, 4};
  return kRows[std::clamp(selection, 0, kRowCount - 1)];
}

bool GiftCodeScreen::Enter(const ScreenEntry&) {
  selection_ = kCodeRow;
  return true;
}

void GiftCodeScreen::SyncFields() {
  Painter* painter = Owner() != nullptr ? Owner()->GetPainter() : nullptr;
  if (painter == nullptr || painter->Edit() == nullptr) return;
  fields_.OnCurrentChanged(*painter->Edit(), true, selection_, popupShown_, false, painter->ScreenWidth());
}

void GiftCodeScreen::Activate() {
  SyncFields();
  if (selection_ == kActivateButton) {
    CommandParameters parameters;
    parameters.text = Code();
    Submit(model::kCommandGifts, parameters);
  } else if (selection_ == kBalanceButton) {
    Submit(model::kCommandBill);
  }
}

void GiftCodeScreen::Back() { Navigate(kSettingsScreen); }

void GiftCodeScreen::OnRequestDone(int command, model::RequestResultPtr result) {
  if (command != model::kCommandGifts && command != model::kCommandBill) return;
  const bool ok = Succeeded(result);
  if (ok && command == model::kCommandGifts) {
    Painter* painter = Owner()->GetPainter();
    if (painter != nullptr && painter->Edit() != nullptr) fields_.SetText(*painter->Edit(), kCodeRow, L"");
    ShowPopupById(false, kNoticeTitle, result->message, kNoKey, kNoKey);
  }
  Owner()->SetNeedsRedraw();
  OnCurrentChanged(true);  // the edit box comes back for the form when no pop-up hides it
}

void GiftCodeScreen::Draw(Painter& painter, platform::Canvas& target) {
  DrawHeaderById(painter, target, kImageIconMoney, kTitle, L"");
  const resources::StringTable& strings = resources::Strings();
  const int width = painter.ScreenWidth();
  const int row = DrawRow(kCodeRow);
  const int captionTop = RowTop(row - 1);
  DrawLabel(painter, target, strings.Get(kCodeCaption),
            {kBarMargin, captionTop, width - kBarMargin, captionTop + kRowHeight}, kLabelBottom, painter.FontText(),
            kWhite, 0, false);
  DrawImage(painter, target, selection_ == kCodeRow ? kImageFormSelInput : kImageFormUnselInput, 0, RowTop(row) + 1);
  DrawLabel(painter, target, Code(), {kFieldInset, RowTop(row) + 1, width - kFieldInset, RowTop(row) + kRowHeight - 1},
            kLabelLeft, painter.FontText(), kBlack, 0, false);
  DrawButtonRow(painter, target, DrawRow(kActivateButton), strings.Get(kActivateText), selection_ == kActivateButton,
                kTickerFirstRow);
  DrawButtonRow(painter, target, DrawRow(kBalanceButton), strings.Get(kBalanceText), selection_ == kBalanceButton,
                kTickerFirstRow + 1);
  DrawTextBlockRow(painter, target, kBalanceRow, BalanceText(Data().accountBalance), 1, 0);
  DrawSoftKeyBar(painter, target, selection_ != kCodeRow ? kSoftKeySelect : kNoSoftKey, kNoSoftKey, kSoftKeyBack);
}

void GiftCodeScreen::OnCurrentChanged(bool active) {
  Painter* painter = Owner() != nullptr ? Owner()->GetPainter() : nullptr;
  if (painter == nullptr || painter->Edit() == nullptr) return;
  fields_.OnCurrentChanged(*painter->Edit(), active, selection_, popupShown_, false, painter->ScreenWidth());
}

}  // namespace kestrova::ui::screens
