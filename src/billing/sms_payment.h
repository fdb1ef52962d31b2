// Payment by premium SMS: the message goes out through the SMS service
// (the outgoing spool of platform/sms), and the server is then told that it
// was sent. Credit is bought with one of the server's short numbers (text:
// the number's prefix, a blank, the login); a paid channel folder names its
// own number and text.
#pragma once

#include <string>
#include <string_view>

#include "net/request_result.h"

namespace kestrova::app {
class CKestrovaDoc;
}

namespace kestrova::net {
struct ShortNumberRecord;
}

namespace kestrova::billing {

// The status reported for a message the SMS service accepted.
inline constexpr int kSmsStatusSent = 1;

// The address of a short number ("%d" of its number).
std::wstring ShortNumberAddress(const net::ShortNumberRecord& number);
// The credit purchase text: "<prefix> <login>".
std::wstring PaymentSmsText(const app::CKestrovaDoc& document, const net::ShortNumberRecord& number);

// Sends the credit purchase SMS to the short number; ok 1 once the SMS
// service accepted it.
net::RequestResultPtr SendPaymentSms(app::CKestrovaDoc& document, const net::ShortNumberRecord& number);

// Sends the text to the address; ok 1 once the SMS service accepted it, ok 0
// with the generic text when the service refused it.
net::RequestResultPtr SendSms(app::CKestrovaDoc& document, std::wstring_view address, std::wstring_view text);

// Tells the server that the SMS was sent; ok 1 when the report reached it
// (the answer is not read). The number and text are percent-encoded, so a
// blank travels as %20 and an "&" in the text cannot add a parameter.
net::RequestResultPtr ReportSmsSent(app::CKestrovaDoc& document, int status, std::wstring_view shortNumber,
                                    std::wstring_view text);

}  // namespace kestrova::billing
