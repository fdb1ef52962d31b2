// The security string of a new account: the server hands the generated login
// and password to the client as one scrambled text. Client and server share
// this one definition of the substitution table and of the (de)interleaving.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestrova::shared {

// 36 pairs of (code character, plain character) followed by a pair of two
// blanks that ends the table: 74 characters.
inline constexpr std::string_view kSecurityTable =
    "soadliherui7qrb3phtzgc.68xmvzf4l,pum9gnww91b7028kso5v1e402da5qfjck6t3yxn  ";

// Login and password are each this long; the decoded text holds both.
inline constexpr std::size_t kCredentialLength = 8;

template <typename Text>
struct Credentials {
  Text login;
  Text password;
};

// Substitutes every character through the table (characters the table does not
// know are dropped) and splits the 16 decoded characters: even positions form
// the login, odd positions the password. Any other decoded length fails.
std::optional<Credentials<std::string>> DecodeSecurityString(std::string_view security);
std::optional<Credentials<std::wstring>> DecodeSecurityString(std::wstring_view security);

// The server's side: interleaves login and password and substitutes each
// character by its code character. Fails unless both are kCredentialLength
// characters from the table's plain alphabet.
std::optional<std::string> EncodeSecurityString(std::string_view login, std::string_view password);

// The plain characters of the table (lower-case letters and digits), from which
// the server draws new logins and passwords.
std::string PlainAlphabet();

}  // namespace kestrova::shared
