#include "ip_address.h"

#include <arpa/inet.h>

#include <algorithm>
#include <array>

namespace kestrova::server {
namespace {

constexpr std::size_t kMaxAddressText = INET6_ADDRSTRLEN;
constexpr std::size_t kNetworkBytes = 8;  // /64
constexpr std::array<unsigned char, 12> kMappedPrefix = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};

std::optional<in6_addr> ParseIpv6(std::string_view text) {
  if (text.size() >= kMaxAddressText) return std::nullopt;
  const std::string terminated(text);
  in6_addr address{};
  if (inet_pton(AF_INET6, terminated.c_str(), &address) != 1) return std::nullopt;
  return address;
}

bool IsMapped(const in6_addr& address) {
  return std::equal(kMappedPrefix.begin(), kMappedPrefix.end(), address.s6_addr);
}

std::string Ipv4Text(const void* address) {
  std::array<char, INET_ADDRSTRLEN> text{};
  return inet_ntop(AF_INET, address, text.data(), text.size()) != nullptr ? text.data() : std::string();
}

std::string Ipv6Text(const in6_addr& address) {
  std::array<char, INET6_ADDRSTRLEN> text{};
  return inet_ntop(AF_INET6, &address, text.data(), text.size()) != nullptr ? text.data() : std::string();
}

}  // namespace

std::optional<std::string> CanonicalAddress(std::string_view text) {
  if (text.size() < kMaxAddressText) {
    const std::string terminated(text);
    in_addr v4{};
    if (inet_pton(AF_INET, terminated.c_str(), &v4) == 1) return Ipv4Text(&v4);
  }
  const auto v6 = ParseIpv6(text);
  if (!v6) return std::nullopt;
  if (IsMapped(*v6)) return Ipv4Text(v6->s6_addr + kMappedPrefix.size());
  return Ipv6Text(*v6);
}

std::string SubscriberNetwork(std::string_view address) {
  auto v6 = ParseIpv6(address);
  if (!v6 || IsMapped(*v6)) return std::string(address);
  std::fill(v6->s6_addr + kNetworkBytes, v6->s6_addr + sizeof v6->s6_addr, 0);
  return Ipv6Text(*v6) + "/64";
}

}  // namespace kestrova::server
