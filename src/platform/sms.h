// The SMS service: a message is handed over by writing it into the outgoing
// spool folder of an SMS gateway, in the smstools outgoing-file format
// ("To: <number>" header, blank line, UTF-8 text). The file is written aside
// under a dot-name and renamed into place, so the gateway never reads half a
// message; the message is accepted once its file is in place.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace kestrova::platform {

// Longest destination address the service takes, in characters.
inline constexpr std::size_t kMaxSmsAddressLength = 256;
inline constexpr const char* kSmsSpoolVariable = "KESTROVA_SMS_SPOOL";

// $KESTROVA_SMS_SPOOL, else $XDG_DATA_HOME/kestrova/sms/outgoing, else
// ~/.local/share/kestrova/sms/outgoing.
std::filesystem::path SmsSpoolDirectory();

// Writes one message into the spool folder (made when missing). Returns the
// message file once it is in place; nullopt when the address is no phone
// number ("+" and digits, at most kMaxSmsAddressLength) or the folder
// cannot be written, and then no file is left behind.
std::optional<std::filesystem::path> SendSmsMessage(const std::filesystem::path& spool, std::wstring_view address,
                                                    std::wstring_view text);

// The spool file's content for a message.
std::string SmsSpoolFileContent(std::wstring_view address, std::wstring_view text);

}  // namespace kestrova::platform
