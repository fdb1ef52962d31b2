#include "ui/screens/subscription_offer.h"

#include "resources/string_table.h"
#include "ui/screen.h"

namespace kestrova::ui::screens {

bool HasSubscriptionOffer(const model::FolderNode& folder) {
  return !folder.smsNumber.empty() && !folder.smsText.empty();
}

void ShowSubscriptionOffer(Screen& screen, const model::FolderNode& folder) {
  if (HasSubscriptionOffer(folder)) {
    screen.ShowPopupById(true, kOfferTitle, folder.message, kConfirmKey, kDeclineKey);
  } else {
    screen.ShowPopupById(true, kPopupErrorTitle, folder.message, kAcknowledgeKey, kNoKey);
  }
}

bool ShowPaymentOutcome(Screen& screen, const model::RequestResultPtr& result) {
  const bool paid = result && result->ok;
  screen.ShowPopupById(false, kOfferTitle, resources::Strings().Get(paid ? kPaymentSentText : kPaymentFailedText),
                       kNoKey, kNoKey);
  return paid;
}

}  // namespace kestrova::ui::screens
