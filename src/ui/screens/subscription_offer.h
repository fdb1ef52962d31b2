// The offer to subscribe to a paid channel package by SMS, shared by the
// folder list and the channel screen: a pop-up with the package's message
// whose confirm key sends the folder payment; its result reloads the
// package. Without an offer (no SMS number or text) an error pop-up says so.
#pragma once

#include "model/catalogue_records.h"
#include "model/request_result.h"

namespace kestrova::ui {
class Screen;
}  // namespace kestrova::ui

namespace kestrova::ui::screens {

constexpr int kOfferTitle = 44;
constexpr int kPaymentSentText = 127;
constexpr int kPaymentFailedText = 128;
constexpr int kConfirmKey = 21;
constexpr int kDeclineKey = 22;
constexpr int kAcknowledgeKey = 19;

// True when the level can be paid for by SMS.
bool HasSubscriptionOffer(const model::FolderNode& folder);

// Shows the offer (or the error pop-up when there is none) on `screen`.
void ShowSubscriptionOffer(Screen& screen, const model::FolderNode& folder);

// Shows the outcome of the folder payment; true when it succeeded and the
// package must be loaded again.
bool ShowPaymentOutcome(Screen& screen, const model::RequestResultPtr& result);

}  // namespace kestrova::ui::screens
