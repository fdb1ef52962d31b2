// The client version check and opening its update link in the browser.
#pragma once

#include <string>

#include "model/request_result.h"
#include "net/api_context.h"

namespace kestrova::net {

// The version this client reports.
inline constexpr int kClientVersionMajor = 2;
inline constexpr int kClientVersionMinor = 0;
inline constexpr int kClientVersionPatch = 0;

// version.php: stores update kind ("none", "recommended", else required),
// update link and update message.
model::RequestResultPtr Version(const ApiContext& api);

// Opens the URL in the user's browser: $BROWSER when set, else xdg-open,
// started directly (no shell, so the URL is one argument whatever it
// holds) and not waited for. False when the process could not be started.
[[nodiscard]] bool LaunchBrowser(const std::wstring& url);

}  // namespace kestrova::net
