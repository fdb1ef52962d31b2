// Dates in the interface ("%d/%m/%Y" and the like).
#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace kestrova::ui {

constexpr std::size_t kMaxDateLength = 128;

// The local time of `time` formatted with a strftime-style pattern, at most
// 128 characters; empty when the time cannot be converted or the result
// does not fit.
std::wstring FormatDate(std::time_t time, std::wstring_view pattern);

}  // namespace kestrova::ui
