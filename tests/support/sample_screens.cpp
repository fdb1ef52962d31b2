#include "support/sample_screens.h"

#include <algorithm>

#include "resources/string_table.h"
#include "ui/bars.h"
#include "ui/entry_edit.h"
#include "ui/labels.h"
#include "ui/painter.h"
#include "ui/rows.h"
#include "ui/screen_manager.h"
#include "ui/skin_image_table.h"
#include "ui/ticker.h"

namespace kestrova::test {

std::vector<SampleItem> NumberedItems(int count, std::wstring_view prefix) {
  std::vector<SampleItem> items;
  for (int i = 1; i <= count; ++i) items.push_back({std::wstring(prefix) + std::to_wstring(i), 19, -1, L""});
  return items;
}

std::vector<SampleItem> SampleChannelRows(std::size_t count) {
  std::vector<SampleItem> items = {
      {L"Kestrova News", ui::kImageIconTv, -1, L"24/7"},
      {L"Morning Show with a title far too long for one row", ui::kImageIconTv, -1, L""},
      {L"Documentary", ui::kImageIconTv, ui::kImageIconHeart, L""},
      {L"Sports Live", ui::kImageIconTv, -1, L"HD"},
      {L"Movies", ui::kImageIconFolder, -1, L"12"},
      {L"Music", ui::kImageIconTv, -1, L""},
      {L"Kids", ui::kImageIconTv, -1, L""},
      {L"Science", ui::kImageIconTv, -1, L""},
      {L"Travel", ui::kImageIconTv, -1, L""},
      {L"Weather", ui::kImageIconTv, -1, L""},
      {L"Cooking", ui::kImageIconTv, -1, L""},
  };
  items.resize(std::min(count, items.size()));
  return items;
}

SampleListScreen::SampleListScreen(int id, std::vector<SampleItem> items) : ui::Screen(id, 8, true, 0) {
  Enter(std::move(items));
}

void SampleListScreen::Enter(std::vector<SampleItem> items) {
  items_ = std::move(items);
  itemCount_ = static_cast<int>(items_.size());
  ResetRows(itemCount_);
  selection_ = 0;
  firstVisible_ = 0;
  ResetScrollBar();
  Relayout(false);
}

bool SampleListScreen::OnPointer(int x, int y, int kind) {
  if (ui::Screen::OnPointer(x, y, kind)) return true;
  if (hitRow_ < 0 || hitRow_ >= itemCount_) return false;
  if (kind == ui::kPointerUp) activations.push_back(selection_);
  return true;
}

bool SampleListScreen::OnKeyUp(int key) {
  if (ui::Screen::OnKeyUp(key)) return true;
  if (popupShown_) return false;
  if (key != ui::kKeyLeftSoft && key != ui::kKeyRightSoft) return false;
  softKeys.push_back(key);
  return true;
}

bool SampleListScreen::OnKeyDown(int key) {
  if (ui::Screen::OnKeyDown(key)) return true;
  if (key != ui::kKeyAction || selection_ < 0 || selection_ >= itemCount_) return false;
  activations.push_back(selection_);
  return true;
}

void SampleListScreen::OnPopupKey(int key) {
  popupKeys.push_back(key);
  ClosePopup();
}

void SampleListScreen::OnRequestDone(int command, model::RequestResultPtr result) {
  results.push_back(command);
  if (result && !result->ok) ShowPopupById(false, ui::kPopupErrorTitle, result->message, ui::kNoKey, ui::kNoKey);
}

void SampleListScreen::Draw(ui::Painter& painter, platform::Canvas& target) {
  ++draws;
  ui::DrawHeaderById(painter, target, kHeaderIcon, kTitleString, headerRight_);
  const int last = std::min(firstVisible_ + rowsPerPage_, itemCount_);
  for (int i = firstVisible_; i < last; ++i) {
    const SampleItem& item = items_[static_cast<std::size_t>(i)];
    const int row = i - firstVisible_;
    ui::ListRowParts parts;
    parts.leftIcon = item.leftIcon;
    parts.rightIcon = item.rightIcon;
    parts.rightText = item.rightText;
    ui::DrawListRow(painter, target, row, item.text, i == selection_, ui::kTickerFirstRow + row, parts);
  }
  if (scrollBar_) scrollBar_->Draw(target);
  ui::DrawSoftKeyBar(painter, target, itemCount_ > 0 ? kMiddleSoftKey : resources::StringTable::kNoText,
                     resources::StringTable::kNoText, kRightSoftKey);
}

void SampleListScreen::OnCurrentChanged(bool active) { currentChanges.push_back(active); }

SampleFormScreen::SampleFormScreen(int id)
    : ui::Screen(id, 4, false, 4),
      fields_({{kLoginSelection, DrawRow(kLoginSelection), false, L""},
               {kPasswordSelection, DrawRow(kPasswordSelection), true, L""}}) {
  rows_.clear();
  for (int selection = 0; selection < 4; ++selection) {
    const int top = ui::RowTop(DrawRow(selection));
    rows_.push_back({0, top, 240, top + ui::kRowHeight, true});
  }
}

int SampleFormScreen::DrawRow(int selection) {
  constexpr int kRows[] = {1, 3, 4, 5};
  return kRows[std::clamp(selection, 0, 3)];
}

bool SampleFormScreen::OnPointer(int x, int y, int kind) {
  if (ui::Screen::OnPointer(x, y, kind)) return true;
  if (hitRow_ < 0) return false;
  if (kind == ui::kPointerUp && hitRow_ >= kLoginButton) activations.push_back(hitRow_);
  return true;
}

bool SampleFormScreen::OnKeyUp(int key) {
  if (ui::Screen::OnKeyUp(key)) return true;
  if (popupShown_ || (key != ui::kKeyLeftSoft && key != ui::kKeyRightSoft)) return false;
  softKeys.push_back(key);
  return true;
}

bool SampleFormScreen::OnKeyDown(int key) {
  if (ui::Screen::OnKeyDown(key)) return true;
  if (key != ui::kKeyAction || selection_ < kLoginButton) return false;
  activations.push_back(selection_);
  return true;
}

void SampleFormScreen::Draw(ui::Painter& painter, platform::Canvas& target) {
  ui::DrawHeaderById(painter, target, ui::kNoIcon, 13, L"");
  const int width = painter.ScreenWidth();
  const wchar_t* captions[] = {L"Login", L"Password"};
  for (int field = 0; field < 2; ++field) {
    const int row = DrawRow(field);
    const int captionTop = ui::RowTop(row - 1);
    ui::DrawLabel(painter, target, captions[field],
                  {ui::kBarMargin, captionTop, width - ui::kBarMargin, captionTop + 32}, ui::kLabelBottom,
                  painter.FontText(), ui::kWhite, 0, false);
    const bool focused = selection_ == field;
    ui::DrawImage(painter, target, focused ? ui::kImageFormSelInput : ui::kImageFormUnselInput, 0,
                  ui::RowTop(row) + 1);
    std::wstring shown = fields_.Text(field);
    if (field == kPasswordSelection) shown.assign(shown.size(), ui::kPasswordChar);
    ui::DrawLabel(painter, target, shown, {28, ui::RowTop(row) + 1, width - 28, ui::RowTop(row) + 31}, ui::kLabelLeft,
                  painter.FontText(), ui::kBlack, 0, false);
  }
  ui::DrawButtonRow(painter, target, DrawRow(kLoginButton), L"Log in", selection_ == kLoginButton, ui::kTickerFirstRow);
  ui::DrawButtonRow(painter, target, DrawRow(kRegisterButton), L"Register", selection_ == kRegisterButton,
                    ui::kTickerFirstRow + 1);
  ui::DrawSoftKeyBar(painter, target, selection_ >= kLoginButton ? 105 : resources::StringTable::kNoText,
                     resources::StringTable::kNoText, 12);
}

void SampleFormScreen::OnCurrentChanged(bool active) {
  ui::Painter* painter = owner_ != nullptr ? owner_->GetPainter() : nullptr;
  if (painter == nullptr || painter->Edit() == nullptr) return;
  fields_.OnCurrentChanged(*painter->Edit(), active, selection_, popupShown_, false, painter->ScreenWidth());
}

}  // namespace kestrova::test
