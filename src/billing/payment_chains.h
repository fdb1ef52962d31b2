// The two SMS payments as the network worker runs them: each step runs only
// when the one before succeeded, and the result delivered is the last one
// obtained (a failed step's, or the last step's).
#pragma once

#include "model/request_result.h"
#include "net/api_context.h"

namespace kestrova::billing {

// Credit purchase with the short number at `shortNumberIndex` of the
// document's list: the payment SMS, its report, then the balance. An index
// outside the list gives ok 0 with the generic text and sends nothing.
model::RequestResultPtr RunCreditPurchase(const net::ApiContext& api, int shortNumberIndex);

// Payment of the current channel folder: its SMS number and text, then the
// report of the same number and text.
model::RequestResultPtr RunFolderPayment(const net::ApiContext& api);

}  // namespace kestrova::billing
