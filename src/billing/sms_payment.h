// Payment by premium SMS: the message goes out through the SMS service
// (the outgoing spool of platform/sms), and the server is then told that it
// was sent. Credit is bought with one of the server's short numbers (text:
// the number's prefix, a blank, the login); a paid channel folder names its
// own number and text.
#pragma once

#include <string>
#include <string_view>

#include "model/request_result.h"
#include "net/api_context.h"

namespace kestrova::net {
}

namespace kestrova::billing {

// The status reported for a message the SMS service accepted.
inline constexpr int kSmsStatusSent = 1;

// The address of a short number ("%d" of its number).
std::wstring ShortNumberAddress(const model::ShortNumberRecord& number);
// The credit purchase text: "<prefix> <login>".
std::wstring PaymentSmsText(const net::ApiContext& api, const model::ShortNumberRecord& number);

// Sends the credit purchase SMS to the short number; ok 1 once the SMS
// service accepted it.
model::RequestResultPtr SendPaymentSms(const net::ApiContext& api, const model::ShortNumberRecord& number);

// Sends the text to the address; ok 1 once the SMS service accepted it, ok 0
// with the generic text when the service refused it.
model::RequestResultPtr SendSms(const net::ApiContext& api, std::wstring_view address, std::wstring_view text);

// Tells the server that the SMS was sent; ok 1 when the report reached it
// (the answer is not read). The number and text are percent-encoded, so a
// blank travels as %20 and an "&" in the text cannot add a parameter.
model::RequestResultPtr ReportSmsSent(const net::ApiContext& api, int status, std::wstring_view shortNumber,
                                    std::wstring_view text);

}  // namespace kestrova::billing
