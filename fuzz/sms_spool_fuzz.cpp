// A spool message file on arbitrary bytes: either no message, or one with a
// number and the text after the headers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sms_spool.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view content(reinterpret_cast<const char*>(bytes), size);
  const auto message = kestrova::server::ParseSpoolMessage(content);
  if (!message) return 0;
  if (message->to.empty() || message->text.size() >= content.size()) std::abort();
  if (!content.ends_with(message->text)) std::abort();
  return 0;
}
