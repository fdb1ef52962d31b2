// One call of an API script as the handlers see it: its query values with
// strict number reading, the answer language, the server's own base URL, and
// the failure that turns into an error element.
#pragma once

#include <httplib.h>

#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "language.h"
#include "texts.h"

namespace kestrova::server {

// Error ids of the error element. The client shows the text and keeps the id;
// 1501 in particular tells it that checking the balance will not help.
inline constexpr int kErrorMissingParameter = 1001;
inline constexpr int kErrorBadParameter = 1002;
inline constexpr int kErrorTooLong = 1003;
inline constexpr int kErrorWrongPassword = 1101;
inline constexpr int kErrorBadSession = 1102;
inline constexpr int kErrorUnknownId = 1201;
inline constexpr int kErrorInsufficientBalance = 1301;
inline constexpr int kErrorGiftUnknown = 1401;
inline constexpr int kErrorGiftUsed = 1402;
inline constexpr int kErrorNotForSale = 1501;
inline constexpr int kErrorInternal = 1901;

// Thrown by a handler (or by the value readers below) to answer with an error
// element; the router catches it, so it never leaves the API layer.
class ApiFailure : public std::exception {
 public:
  ApiFailure(int id, std::string text) : id_(id), text_(std::move(text)) {}
  int Id() const { return id_; }
  const std::string& Text() const { return text_; }
  const char* what() const noexcept override { return text_.c_str(); }

 private:
  int id_;
  std::string text_;
};

class ApiRequest {
 public:
  ApiRequest(const httplib::Request& request, std::string fallback_base_url);

  Language Lang() const { return language_; }
  // "http://host:port" as the client reached this server.
  const std::string& BaseUrl() const { return base_url_; }

  bool Has(std::string_view key) const;
  // Required values; a missing one fails with kErrorMissingParameter.
  std::string Text(std::string_view key) const;
  // A decimal integer (optional sign, digits, within int); anything else fails
  // with kErrorBadParameter.
  int Int(std::string_view key) const;
  // Optional values: a missing one gives the fallback, a malformed number still fails.
  std::string TextOr(std::string_view key, std::string_view fallback) const;
  int IntOr(std::string_view key, int fallback) const;
  std::string Header(std::string_view name) const;
  // The caller's address: the peer's, or, when the peer is one of the
  // trusted proxies (canonical addresses), the address that proxy appended to
  // X-Forwarded-For. Earlier entries of that header are the client's own word
  // and count for nothing.
  std::string CallerAddress(const std::vector<std::string>& trusted_proxies) const;

  [[noreturn]] void Fail(int id, TextId text, std::initializer_list<std::string_view> values = {}) const;

 private:
  const httplib::Request& request_;
  Language language_;
  std::string base_url_;
};

// A decimal integer in the int range, the whole text; nullopt otherwise.
std::optional<int> ParseStrictInt(std::string_view text);

}  // namespace kestrova::server
