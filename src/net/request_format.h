// Fills a request's printf-style format string ("login.php?login=%s&
// lng_id=%02d...") with its values, type-safely: "%d" with optional zero
// flag and width takes a number, "%s" a text, "%%" gives "%". A number
// given for "%s" or a text for "%d" is written as it is; a conversion
// without a value left writes nothing.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace kestrova::net {

class RequestArgument {
 public:
  RequestArgument(int number) : value_(std::int64_t{number}) {}
  RequestArgument(std::int64_t number) : value_(number) {}
  RequestArgument(std::wstring_view text) : value_(text) {}
  RequestArgument(const std::wstring& text) : value_(std::wstring_view(text)) {}
  RequestArgument(const wchar_t* text) : value_(text != nullptr ? std::wstring_view(text) : std::wstring_view()) {}

  // The value as "%d" (with its zero flag and width) or "%s" writes it.
  void AppendTo(std::wstring& out, bool zeroPad, int width) const;

 private:
  std::variant<std::int64_t, std::wstring_view> value_;
};

std::wstring FormatRequest(std::wstring_view format, std::initializer_list<RequestArgument> arguments);

}  // namespace kestrova::net
