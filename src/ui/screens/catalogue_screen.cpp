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
  if (result->ok != 0) return true;
  ShowPopupById(false, kPopupErrorTitle, result->message, kNoKey, kNoKey);
  return false;
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
