// The two SMS payments as the network worker runs them: each step runs only
// when the one before succeeded, and the result delivered is the last one
// obtained (a failed step's, or the last step's).
#pragma once

#include "net/request_result.h"

namespace kestrova::app {
class CKestrovaDoc;
}

namespace kestrova::billing {

// Credit purchase with the short number at `shortNumberIndex` of the
// document's list: the payment SMS, its report, then the balance. An index
// outside the list gives ok 0 with the generic text and sends nothing.
net::RequestResultPtr RunCreditPurchase(app::CKestrovaDoc& document, int shortNumberIndex);

// Payment of the current channel folder: its SMS number and text, then the
// report of the same number and text.
net::RequestResultPtr RunFolderPayment(app::CKestrovaDoc& document);

}  // namespace kestrova::billing
