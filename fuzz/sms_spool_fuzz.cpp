// A spool message file on arbitrary bytes: either no message, or one with a
// number and the text after the headers. The same bytes as a file name (the
// names it may have had, the send time it carries) and as a message key of
// earlier versions.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sms_file_key.h"
#include "sms_spool.h"

namespace {

constexpr std::int64_t kNow = 1'700'000'000'000;

void CheckName(std::string_view name) {
  using namespace kestrova::server;
  const auto names = FormerNames(name);
  if (names.empty() || names.front() != name) std::abort();
  for (std::size_t i = 1; i < names.size(); ++i) {
    if (names[i].size() >= names[i - 1].size() || !names[i - 1].starts_with(names[i])) std::abort();
  }
  if (SmsSentTime(name, kNow, kNow) > kNow) std::abort();
  if (!SmsFileKey("00", name, 0).starts_with("00/")) std::abort();
  if (const auto key = ParseInodeKey(name); key && key->content_sha256_hex.size() != 64) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view content(reinterpret_cast<const char*>(bytes), size);
  CheckName(content);
  const auto message = kestrova::server::ParseSpoolMessage(content);
  if (!message) return 0;
  if (message->to.empty() || message->text.size() >= content.size()) std::abort();
  if (!content.ends_with(message->text)) std::abort();
  return 0;
}
