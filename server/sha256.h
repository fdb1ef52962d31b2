// SHA-256 of a byte string, as 64 lower-case hex digits; used to keep only
// salted hashes of account passwords.
#pragma once

#include <string>
#include <string_view>

namespace kestrova::server {

std::string Sha256Hex(std::string_view bytes);

}  // namespace kestrova::server
