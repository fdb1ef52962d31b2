#include "billing/sms_payment.h"

#include "app/kestrova_doc.h"
#include "net/answer_file.h"
#include "net/api_get.h"
#include "net/endpoint.h"
#include "net/query_keys.h"
#include "net/request_format.h"
#include "net/setup_records.h"
#include "platform/sms.h"

namespace kestrova::billing {

namespace {

constexpr const wchar_t* kAddressFormat = L"%d";
constexpr const wchar_t* kPaymentTextFormat = L"%s %s";
// The "&" right after "?" is part of the script's request line.
constexpr const wchar_t* kSmsSentFormat =
    L"sms_sent.php?&user_id=%d&key=%s&affiliate_id=%d&lng_id=%d&codepage=utf8&client=wm&dist_number=1"
    L"&short_number=%s&status=%d&text=%s&exception=null";

}  // namespace

std::wstring ShortNumberAddress(const net::ShortNumberRecord& number) {
  return net::FormatRequest(kAddressFormat, {number.number});
}

std::wstring PaymentSmsText(const app::CKestrovaDoc& document, const net::ShortNumberRecord& number) {
  return net::FormatRequest(kPaymentTextFormat, {number.prefix, document.settings.login});
}

net::RequestResultPtr SendPaymentSms(app::CKestrovaDoc& document, const net::ShortNumberRecord& number) {
  return SendSms(document, ShortNumberAddress(number), PaymentSmsText(document, number));
}

net::RequestResultPtr SendSms(app::CKestrovaDoc&, std::wstring_view address, std::wstring_view text) {
  net::RequestResultPtr result = net::NewRequestResult();
  if (platform::SendSmsMessage(platform::SmsSpoolDirectory(), address, text)) result->ok = 1;
  return result;
}

net::RequestResultPtr ReportSmsSent(app::CKestrovaDoc& document, int status, std::wstring_view shortNumber,
                                    std::wstring_view text) {
  net::RequestResultPtr result = net::NewRequestResult();
  const auto query = net::CommonQuery(document);
  const std::wstring request =
      net::FormatRequest(kSmsSentFormat, {query.userId, query.key, query.affiliateId, query.languageId,
                                          net::QueryValue(shortNumber), status, net::QueryValue(text)});
  net::AnswerFile answer;
  if (net::ApiGet(document, request, answer.Target())) result->ok = 1;
  return result;
}

}  // namespace kestrova::billing
