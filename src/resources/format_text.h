// Fills the "%s" placeholders of a localised text, in order of appearance.
// The texts come from the language files, so they are never handed to a
// printf-style formatter: "%s" takes the next argument ("" when none is
// left), "%%" gives "%", and every other character stays as it is.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace kestrova::resources {

std::wstring FormatText(std::wstring_view format, std::initializer_list<std::wstring_view> arguments);

}  // namespace kestrova::resources
