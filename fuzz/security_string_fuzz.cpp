// The security string of the new-account answer on arbitrary text, narrow
// and wide; a decoded pair must encode back to a string that decodes to it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "shared/security_string.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace kestrova::shared;
  const std::string_view text(reinterpret_cast<const char*>(bytes), size);
  const auto narrow = DecodeSecurityString(text);
  const std::wstring wideText(text.begin(), text.end());
  const auto wide = DecodeSecurityString(std::wstring_view(wideText));
  if (narrow.has_value() != wide.has_value()) std::abort();
  if (!narrow) return 0;
  if (narrow->login.size() != kCredentialLength || narrow->password.size() != kCredentialLength) std::abort();
  const auto encoded = EncodeSecurityString(narrow->login, narrow->password);
  if (!encoded) return 0;  // decoded to characters outside the plain alphabet
  const auto again = DecodeSecurityString(*encoded);
  if (!again || again->login != narrow->login || again->password != narrow->password) std::abort();
  return 0;
}
