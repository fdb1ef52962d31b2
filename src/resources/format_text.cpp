#include "resources/format_text.h"

namespace kestrova::resources {

std::wstring FormatText(std::wstring_view format, std::initializer_list<std::wstring_view> arguments) {
  std::wstring out;
  out.reserve(format.size() + 16);
  auto next = arguments.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == L'%' && i + 1 < format.size()) {
      if (format[i + 1] == L's') {
        if (next != arguments.end()) out.append(*next++);
        ++i;
        continue;
      }
      if (format[i + 1] == L'%') {
        out.push_back(L'%');
        ++i;
        continue;
      }
    }
    out.push_back(format[i]);
  }
  return out;
}

}  // namespace kestrova::resources
