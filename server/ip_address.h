// Numeric IP addresses as the server compares and counts them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestrova::server {

// The canonical text of a numeric IPv4 or IPv6 address ("::ffff:a.b.c.d", an
// IPv4 client of a dual-stack socket, as "a.b.c.d"); nullopt for anything else.
std::optional<std::string> CanonicalAddress(std::string_view text);

// The network one subscriber line holds: an IPv4 address itself, an IPv6
// address's /64 (a line gets a whole /64, so its single addresses are free for
// the taking). Text that is no address comes back unchanged.
std::string SubscriberNetwork(std::string_view address);

}  // namespace kestrova::server
