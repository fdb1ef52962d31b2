#include "ui/format_date.h"

#include <array>
#include <cwchar>

namespace kestrova::ui {

std::wstring FormatDate(std::time_t time, std::wstring_view pattern) {
  std::tm local{};
  if (localtime_r(&time, &local) == nullptr) return {};
  const std::wstring format(pattern);  // wcsftime needs a terminated pattern
  std::array<wchar_t, kMaxDateLength + 1> buffer{};
  const std::size_t length = std::wcsftime(buffer.data(), buffer.size(), format.c_str(), &local);
  if (length == 0) return {};
  return std::wstring(buffer.data(), length);
}

}  // namespace kestrova::ui
