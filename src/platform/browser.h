// The system's web browser: $BROWSER (the first entry of its colon-separated
// list), else xdg-open, started with the address as its one argument, no
// shell in between. Only web addresses are handed over: the address often
// comes from the server, and a launcher takes other schemes (file:, a
// desktop file) or a leading "-" (an option) as something else entirely.
#pragma once

#include <string_view>

namespace kestrova::platform {

// True for an http or https address without control characters.
bool IsWebAddress(std::string_view url);

// Starts the browser on the address and returns at once; false when the
// address is refused or the browser could not be started.
[[nodiscard]] bool OpenInBrowser(std::string_view url);

}  // namespace kestrova::platform
