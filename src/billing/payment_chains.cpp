#include "billing/payment_chains.h"

#include <string>

#include "app/kestrova_doc.h"
#include "billing/billing_endpoints.h"
#include "billing/sms_payment.h"
#include "net/endpoint.h"

namespace kestrova::billing {

namespace {

bool Succeeded(const net::RequestResultPtr& result) { return result != nullptr && result->ok == 1; }

}  // namespace

net::RequestResultPtr RunCreditPurchase(app::CKestrovaDoc& document, int shortNumberIndex) {
  if (shortNumberIndex < 0 || static_cast<std::size_t>(shortNumberIndex) >= document.shortNumbers.size()) {
    return net::NewRequestResult();
  }
  // A copy: the balance step must not depend on the list staying as it is.
  const net::ShortNumberRecord number = *document.shortNumbers[static_cast<std::size_t>(shortNumberIndex)];
  net::RequestResultPtr result = SendPaymentSms(document, number);
  if (!Succeeded(result)) return result;
  result = ReportSmsSent(document, kSmsStatusSent, ShortNumberAddress(number), PaymentSmsText(document, number));
  if (!Succeeded(result)) return result;
  return Bill(document);
}

net::RequestResultPtr RunFolderPayment(app::CKestrovaDoc& document) {
  if (document.currentFolder == nullptr) return net::NewRequestResult();
  const std::wstring number = document.currentFolder->smsNumber;
  const std::wstring text = document.currentFolder->smsText;
  net::RequestResultPtr result = SendSms(document, number, text);
  if (!Succeeded(result)) return result;
  return ReportSmsSent(document, kSmsStatusSent, number, text);
}

}  // namespace kestrova::billing
