#include "billing/payment_chains.h"

#include <string>

#include "billing/billing_endpoints.h"
#include "billing/sms_payment.h"
#include "net/api_context.h"
#include "net/endpoint.h"

namespace kestrova::billing {

namespace {

bool Succeeded(const model::RequestResultPtr& result) { return result != nullptr && result->ok; }

}  // namespace

model::RequestResultPtr RunCreditPurchase(const net::ApiContext& api, int shortNumberIndex) {
  if (shortNumberIndex < 0 || static_cast<std::size_t>(shortNumberIndex) >= api.data.shortNumbers.size()) {
    return net::NewRequestResult();
  }
  // A copy: the balance step must not depend on the list staying as it is.
  const model::ShortNumberRecord number = *api.data.shortNumbers[static_cast<std::size_t>(shortNumberIndex)];
  model::RequestResultPtr result = SendPaymentSms(api, number);
  if (!Succeeded(result)) return result;
  result = ReportSmsSent(api, kSmsStatusSent, ShortNumberAddress(number), PaymentSmsText(api, number));
  if (!Succeeded(result)) return result;
  return Bill(api);
}

model::RequestResultPtr RunFolderPayment(const net::ApiContext& api) {
  if (api.data.currentFolder == nullptr) return net::NewRequestResult();
  const std::wstring number = api.data.currentFolder->smsNumber;
  const std::wstring text = api.data.currentFolder->smsText;
  model::RequestResultPtr result = SendSms(api, number, text);
  if (!Succeeded(result)) return result;
  return ReportSmsSent(api, kSmsStatusSent, number, text);
}

}  // namespace kestrova::billing
