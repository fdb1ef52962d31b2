#include "shared/security_string.h"

namespace kestrova::shared {
namespace {

constexpr std::size_t kPairSize = 2;
constexpr std::size_t kDecodedLength = 2 * kCredentialLength;

// The table walk: the first pair whose code character matches gives the plain
// character; reaching the closing pair of blanks means the character is unknown.
template <typename Char>
std::optional<Char> PlainFor(Char code) {
  for (std::size_t pair = 0; pair + 1 < kSecurityTable.size(); pair += kPairSize) {
    if (kSecurityTable[pair] == ' ') return std::nullopt;
    if (static_cast<Char>(static_cast<unsigned char>(kSecurityTable[pair])) == code) {
      return static_cast<Char>(static_cast<unsigned char>(kSecurityTable[pair + 1]));
    }
  }
  return std::nullopt;
}

std::optional<char> CodeFor(char plain) {
  for (std::size_t pair = 0; pair + 1 < kSecurityTable.size(); pair += kPairSize) {
    if (kSecurityTable[pair] == ' ') return std::nullopt;
    if (kSecurityTable[pair + 1] == plain) return kSecurityTable[pair];
  }
  return std::nullopt;
}

template <typename Char>
std::optional<Credentials<std::basic_string<Char>>> Decode(std::basic_string_view<Char> security) {
  std::basic_string<Char> decoded;
  for (const Char c : security) {
    if (const auto plain = PlainFor(c)) decoded.push_back(*plain);
    // A longer text can never become valid again; stop early on hostile input.
    if (decoded.size() > kDecodedLength) return std::nullopt;
  }
  if (decoded.size() != kDecodedLength) return std::nullopt;
  Credentials<std::basic_string<Char>> out;
  for (std::size_t i = 0; i < kDecodedLength; ++i) {
    (i % 2 == 0 ? out.login : out.password).push_back(decoded[i]);
  }
  return out;
}

}  // namespace

std::optional<Credentials<std::string>> DecodeSecurityString(std::string_view security) {
  return Decode(security);
}

std::optional<Credentials<std::wstring>> DecodeSecurityString(std::wstring_view security) {
  return Decode(security);
}

std::optional<std::string> EncodeSecurityString(std::string_view login, std::string_view password) {
  if (login.size() != kCredentialLength || password.size() != kCredentialLength) return std::nullopt;
  std::string encoded;
  for (std::size_t i = 0; i < kCredentialLength; ++i) {
    const auto from_login = CodeFor(login[i]);
    const auto from_password = CodeFor(password[i]);
    if (!from_login || !from_password) return std::nullopt;
    encoded.push_back(*from_login);
    encoded.push_back(*from_password);
  }
  return encoded;
}

std::string PlainAlphabet() {
  std::string plain;
  for (std::size_t pair = 0; pair + 1 < kSecurityTable.size(); pair += kPairSize) {
    if (kSecurityTable[pair] == ' ') break;
    plain.push_back(kSecurityTable[pair + 1]);
  }
  return plain;
}

}  // namespace kestrova::shared
