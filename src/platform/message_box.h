// A plain OK message box. Where no display can show one (a headless run),
// the message goes to standard error instead.
#pragma once

#include <string>

namespace kestrova::platform {

void ShowMessageBox(const std::string& title, const std::string& text);

}  // namespace kestrova::platform
