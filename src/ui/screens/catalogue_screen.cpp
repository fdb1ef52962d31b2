#include "ui/screens/catalogue_screen.h"

#include <algorithm>

namespace kestrova::ui::screens {

bool CatalogueScreen::Enter(const ScreenEntry&) { return true; }

void CatalogueScreen::Refresh(const ScreenEntry&) {}

ScreenDocument& CatalogueScreen::Document() const { return *Owner()->Document(); }

model::DataState& CatalogueScreen::Data() const { return Document().Data(); }

void CatalogueScreen::Submit(int command, CommandParameters parameters, bool waiter) {
  Document().SubmitRequest(command, *this, waiter, std::move(parameters));
}

void CatalogueScreen::Navigate(int target) { Owner()->Navigate(target); }

void CatalogueScreen::Shutdown() { Document().ShutdownSession(); }

bool CatalogueScreen::Succeeded(const model::RequestResultPtr& result) {
  if (!result) return false;
  if (result->ok) return true;
  ShowPopupById(false, kPopupErrorTitle, result->message, kNoKey, kNoKey);
  return false;
}

bool CatalogueScreen::OnPointer(int x, int y, int kind) {
  if (Screen::OnPointer(x, y, kind)) return true;
  if (hitRow_ < 0) return false;
  if (kind == kPointerUp && Activatable(hitRow_)) Activate();
  return true;
}

bool CatalogueScreen::OnKeyDown(int key) {
  if (Screen::OnKeyDown(key)) return true;
  if (key != kKeyAction || !Activatable(selection_)) return false;
  Activate();
  return true;
}

bool CatalogueScreen::OnKeyUp(int key) {
  if (Screen::OnKeyUp(key)) return true;
  if (popupShown_ || key != kKeyRightSoft) return false;
  Back();
  return true;
}

void CatalogueScreen::ResetList(int itemCount, int selection) {
  itemCount_ = std::max(itemCount, 0);
  ResetRows(itemCount_);
  firstVisible_ = 0;
  selection_ = std::clamp(selection, 0, std::max(itemCount_ - 1, 0));
  if (hasList_) ResetScrollBar();
  Relayout(true);
}

}  // namespace kestrova::ui::screens
