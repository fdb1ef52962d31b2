#include "ui/screen.h"

#include <algorithm>

#include "resources/string_table.h"
#include "ui/rows.h"
#include "ui/screen_manager.h"

namespace kestrova::ui {

namespace {

constexpr int kRowWidth = 240;

}  // namespace

Screen::Screen(int id, int rowsPerPage, bool hasList, int itemCount)
    : id_(id), hasList_(hasList), itemCount_(itemCount), rowsPerPage_(rowsPerPage) {}

Screen::~Screen() = default;

void Screen::ResetRows(int count) {
  rows_.clear();
  for (int i = 0; i < count; ++i) {
    rows_.push_back({0, kRowHeight + kRowHeight * i, kRowWidth, 2 * kRowHeight + kRowHeight * i, true});
  }
}

void Screen::ShiftRows(int dx, int dy) {
  for (auto& row : rows_) {
    row.left += dx;
    row.right += dx;
    row.top += dy;
    row.bottom += dy;
  }
}

void Screen::ResetScrollBar() { scrollBar_ = std::make_unique<ScrollBar>(itemCount_ - rowsPerPage_); }

void Screen::UpdateVisibility() {
  for (int i = 0; i < static_cast<int>(rows_.size()); ++i) {
    rows_[static_cast<std::size_t>(i)].visible = i >= firstVisible_ && i < firstVisible_ + rowsPerPage_;
  }
}

void Screen::ScrollTo(int first) {
  ShiftRows(0, kRowHeight * (firstVisible_ - first));
  firstVisible_ = first;
  UpdateVisibility();
}

void Screen::Relayout(bool scrollToSelection, int) {
  if (!hasList_ || (scrollBar_ && scrollBar_->ThumbPressed())) return;
  int first = firstVisible_;
  if (scrollToSelection) {
    if (selection_ < first) first = selection_;
    else if (selection_ >= first + rowsPerPage_) first = selection_ - rowsPerPage_ + 1;
    first = std::max(first, 0);
  }
  ScrollTo(first);
  if (scrollBar_) scrollBar_->SetFirstRow(firstVisible_);
}

int Screen::Reserved() { return 0; }

bool Screen::OnPointer(int x, int y, int kind) {
  if (popupShown_) {
    if (!popupHasButtons_) ClosePopup();
    // The rest of this press (moves, release) belongs to the pop-up too, so
    // the tap that closes it does not also act on the row under it.
    pressOnPopup_ = kind == kPointerDown || (pressOnPopup_ && kind != kPointerUp);
    return true;
  }
  if (pressOnPopup_) {
    if (kind == kPointerUp) pressOnPopup_ = false;
    return true;
  }
  if (hasList_ && scrollBar_ && scrollBar_->OnPointer(x, y, kind)) {
    ScrollTo(scrollBar_->FirstRow());
    return true;
  }
  hitRow_ = -1;
  for (int i = 0; i < static_cast<int>(rows_.size()); ++i) {
    const RowRect& row = rows_[static_cast<std::size_t>(i)];
    if (row.visible && row.Contains(x, y)) {
      hitRow_ = i;
      selection_ = i;
      break;
    }
  }
  return false;
}

bool Screen::OnKeyUp(int key) {
  if (!popupShown_) return false;
  if (!popupHasButtons_) {
    ClosePopup();
    return true;
  }
  if (key == kKeyLeftSoft && leftPopupKey_ != kNoKey) {
    OnPopupKey(kKeyLeftSoft);
    return true;
  }
  if (key == kKeyRightSoft && rightPopupKey_ != kNoKey) {
    OnPopupKey(kKeyRightSoft);
    return true;
  }
  return false;
}

bool Screen::OnKeyDown(int key) {
  if (popupShown_) {
    if (!popupHasButtons_) ClosePopup();
    return true;
  }
  const int previous = selection_;
  if (key == kKeyDown) {
    if (selection_ >= itemCount_ - 1) return false;
    ++selection_;
    Relayout(true, previous);
    return true;
  }
  if (key == kKeyUp) {
    if (selection_ > 0) --selection_;
    Relayout(true, previous);
    return true;
  }
  return false;
}

void Screen::OnPopupKey(int) {}

void Screen::OnRequestDone(int, model::RequestResultPtr) {}

void Screen::OnCurrentChanged(bool) {}

void Screen::ShowPopup(bool hasButtons, std::wstring_view title, std::wstring_view text, int leftKey, int rightKey) {
  popupShown_ = true;
  popupHasButtons_ = hasButtons;
  popupTitle_.assign(title);
  popupText_.assign(text);
  leftPopupKey_ = leftKey;
  rightPopupKey_ = rightKey;
  if (owner_ != nullptr) {
    owner_->SetNeedsRedraw();
    owner_->SetPopupShown(true);
  }
}

void Screen::ShowPopupById(bool hasButtons, int titleStringId, std::wstring_view text, int leftKey, int rightKey) {
  ShowPopup(hasButtons, resources::Strings().Get(titleStringId), text, leftKey, rightKey);
}

void Screen::ClosePopup() {
  popupShown_ = false;
  popupHasButtons_ = false;
  popupTitle_.clear();
  popupText_.clear();
  leftPopupKey_ = kNoKey;
  rightPopupKey_ = kNoKey;
  if (owner_ != nullptr) {
    owner_->SetNeedsRedraw();
    owner_->SetPopupShown(false);
  }
}

}  // namespace kestrova::ui
