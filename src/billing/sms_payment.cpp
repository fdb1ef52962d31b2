#include "billing/sms_payment.h"

#include "model/setup_records.h"
#include "net/answer_file.h"
#include "net/api_context.h"
#include "net/api_get.h"
#include "net/endpoint.h"
#include "net/query_keys.h"
#include "net/request_format.h"
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

std::wstring ShortNumberAddress(const model::ShortNumberRecord& number) {
  return net::FormatRequest(kAddressFormat, {number.number});
}

std::wstring PaymentSmsText(const net::ApiContext& api, const model::ShortNumberRecord& number) {
  return net::FormatRequest(kPaymentTextFormat, {number.prefix, api.data.settings.login});
}

model::RequestResultPtr SendPaymentSms(const net::ApiContext& api, const model::ShortNumberRecord& number) {
  return SendSms(api, ShortNumberAddress(number), PaymentSmsText(api, number));
}

model::RequestResultPtr SendSms(const net::ApiContext&, std::wstring_view address, std::wstring_view text) {
  model::RequestResultPtr result = net::NewRequestResult();
  if (platform::SendSmsMessage(platform::SmsSpoolDirectory(), address, text)) result->ok = true;
  return result;
}

model::RequestResultPtr ReportSmsSent(const net::ApiContext& api, int status, std::wstring_view shortNumber,
                                    std::wstring_view text) {
  model::RequestResultPtr result = net::NewRequestResult();
  const auto query = net::CommonQuery(api);
  const std::wstring request =
      net::FormatRequest(kSmsSentFormat, {query.userId, query.key, query.affiliateId, query.languageId,
                                          net::QueryValue(shortNumber), status, net::QueryValue(text)});
  net::AnswerFile answer;
  if (net::ApiGet(api, request, answer.Target())) result->ok = true;
  return result;
}

}  // namespace kestrova::billing
