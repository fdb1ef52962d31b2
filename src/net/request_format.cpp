#include "net/request_format.h"

namespace kestrova::net {

void RequestArgument::AppendTo(std::wstring& out, bool zeroPad, int width) const {
  std::wstring text;
  bool negative = false;
  if (const auto* number = std::get_if<std::int64_t>(&value_)) {
    negative = *number < 0;
    // The magnitude in unsigned arithmetic, so the most negative value works.
    std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(*number) : static_cast<std::uint64_t>(*number);
    do {
      text.insert(text.begin(), static_cast<wchar_t>(L'0' + magnitude % 10));
      magnitude /= 10;
    } while (magnitude != 0);
  } else {
    text = std::get<std::wstring_view>(value_);
  }
  const std::size_t length = text.size() + (negative ? 1 : 0);
  const std::size_t padding = width > 0 && static_cast<std::size_t>(width) > length ? static_cast<std::size_t>(width) - length : 0;
  if (zeroPad && std::holds_alternative<std::int64_t>(value_)) {
    // printf puts the sign before the zeros: -1 with "%03d" is "-01".
    if (negative) out += L'-';
    out.append(padding, L'0');
  } else {
    out.append(padding, L' ');
    if (negative) out += L'-';
  }
  out += text;
}

std::wstring FormatRequest(std::wstring_view format, std::initializer_list<RequestArgument> arguments) {
  std::wstring out;
  out.reserve(format.size() + 16 * arguments.size());
  auto next = arguments.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != L'%') {
      out += format[i];
      continue;
    }
    std::size_t j = i + 1;
    if (j < format.size() && format[j] == L'%') {
      out += L'%';
      i = j;
      continue;
    }
    const bool zeroPad = j < format.size() && format[j] == L'0';
    if (zeroPad) ++j;
    int width = 0;
    while (j < format.size() && format[j] >= L'0' && format[j] <= L'9' && width < 1000) {
      width = width * 10 + (format[j] - L'0');
      ++j;
    }
    if (j >= format.size() || (format[j] != L'd' && format[j] != L's')) {
      // Not a conversion this formatter knows: keep the text as written.
      out += format[i];
      continue;
    }
    if (next != arguments.end()) (next++)->AppendTo(out, zeroPad, width);
    i = j;
  }
  return out;
}

}  // namespace kestrova::net
