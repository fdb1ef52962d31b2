#include "ui/screens/payment_screen.h"

#include <algorithm>
#include <string>

#include "model/command_ids.h"
#include "resources/format_text.h"
#include "resources/string_table.h"
#include "ui/bars.h"
#include "ui/labels.h"
#include "ui/painter.h"
#include "ui/rows.h"
#include "ui/screens/balance_text.h"
#include "ui/screens/list_drawing.h"
#include "ui/screens/subscription_offer.h"
#include "ui/skin_image_table.h"
#include "ui/ticker.h"

namespace kestrova::ui::screens {
namespace {

constexpr int kTitle = 117;
constexpr int kCaptionText = 43;
constexpr int kBalanceButtonText = 42;
constexpr int kConfirmText = 45;
constexpr int kRowsPerPage = 6;
constexpr int kCaptionRow = 0;
constexpr int kFirstRow = 1;    // the list from y = 64 ...
constexpr int kBalanceRow = 7;  // ... to y = 256, the balance below it
constexpr const wchar_t* kShortNumberFormat = L"%s %s - %s";

}  // namespace

PaymentScreen::PaymentScreen() : CatalogueScreen(kPaymentScreen, kRowsPerPage, true, 1) {}

bool PaymentScreen::Enter(const ScreenEntry&) {
  chosen_ = -1;
  ResetList(static_cast<int>(Data().shortNumbers.size()) + 1);
  ShiftRows(0, kFirstRow * kRowHeight);
  scrollBar_ = std::make_unique<ScrollBar>(itemCount_ - rowsPerPage_, ScrollBar::kWidth, RowTop(kFirstRow),
                                           ScrollBar::kRight, RowTop(kBalanceRow));
  return true;
}

void PaymentScreen::Activate() {
  if (IsBalanceRow(selection_)) {
    Submit(model::kCommandBill);
    return;
  }
  if (selection_ < 0 || static_cast<std::size_t>(selection_) >= Data().shortNumbers.size()) return;  // stale
  chosen_ = selection_;
  ShowPopupById(true, kNoticeTitle, resources::Strings().Get(kConfirmText), kKeyConfirm, kKeyDecline);
}

void PaymentScreen::OnPopupKey(int key) {
  const int chosen = chosen_;
  chosen_ = -1;
  ClosePopup();
  if (key != kKeyLeftSoft || chosen < 0 || static_cast<std::size_t>(chosen) >= Data().shortNumbers.size()) return;
  CommandParameters parameters;
  parameters.index = chosen;
  Submit(model::kCommandCreditPurchase, parameters);
}

void PaymentScreen::Back() { Navigate(kSettingsScreen); }

void PaymentScreen::OnRequestDone(int command, model::RequestResultPtr result) {
  if (command == model::kCommandBill) {
    if (Succeeded(result)) Owner()->SetNeedsRedraw();
  } else if (command == model::kCommandCreditPurchase) {
    ShowPaymentOutcome(*this, result);
  }
}

void PaymentScreen::Draw(Painter& painter, platform::Canvas& target) {
  DrawHeaderById(painter, target, kImageIconMoney, kTitle, L"");
  const resources::StringTable& strings = resources::Strings();
  const int width = painter.ScreenWidth();
  DrawLabel(painter, target, strings.Get(kCaptionText),
            {kBarMargin, RowTop(kCaptionRow), width - kBarMargin, RowTop(kCaptionRow) + kRowHeight}, kLabelLeft,
            painter.FontText(), kWhite, 0, false);
  const auto& numbers = Data().shortNumbers;
  const int last = std::min(firstVisible_ + rowsPerPage_, itemCount_);
  for (int i = firstVisible_; i < last; ++i) {
    const int row = i - firstVisible_ + kFirstRow;
    const bool selected = i == selection_;
    if (IsBalanceRow(i)) {
      DrawButtonRow(painter, target, row, strings.Get(kBalanceButtonText), selected, kTickerFirstRow + row);
      continue;
    }
    if (static_cast<std::size_t>(i) >= numbers.size()) break;
    const model::ShortNumberRecord& number = *numbers[static_cast<std::size_t>(i)];
    const std::wstring text =
        resources::FormatText(kShortNumberFormat, {std::to_wstring(number.number), number.prefix, number.price});
    DrawListRow(painter, target, row, text, selected, kTickerFirstRow + row);
  }
  if (scrollBar_) scrollBar_->Draw(target);
  DrawTextBlockRow(painter, target, kBalanceRow, BalanceText(Data().accountBalance), 1, 0);
  DrawSoftKeyBar(painter, target, kSoftKeySelect, kNoSoftKey, kSoftKeyBack);
}

}  // namespace kestrova::ui::screens
