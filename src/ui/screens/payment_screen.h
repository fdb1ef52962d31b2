// Screen 7: buying credit by premium SMS. One row per short number the
// server lists ("<number> <prefix> - <price>"), a last row that fetches the
// balance again, and the balance below the list. Choosing a number asks
// for confirmation, then the payment SMS goes out and is reported, and the
// balance is fetched.
#pragma once

#include "ui/screens/catalogue_screen.h"

namespace kestrova::ui::screens {

class PaymentScreen final : public CatalogueScreen {
 public:
  PaymentScreen();

  bool Enter(const ScreenEntry& entry) override;
  void OnPopupKey(int key) override;
  void OnRequestDone(int command, model::RequestResultPtr result) override;
  void Draw(Painter& painter, platform::Canvas& target) override;

  bool IsBalanceRow(int row) const { return row == itemCount_ - 1; }

 private:
  void Activate() override;
  void Back() override;

  int chosen_ = -1;  // the short number whose confirmation is shown
};

}  // namespace kestrova::ui::screens
