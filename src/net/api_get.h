// API requests: the request text of an endpoint ("countries.php?user_id=...")
// becomes a full URL under the API base URL and is fetched into a temporary
// answer file.
#pragma once

#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

#include "net/api_context.h"

namespace kestrova::net {

// API base URL, "/", the request text, "&friend_id=%d&agregator_id=%d" and
// the time token of the document's clock plus the time gap.
std::wstring ApiUrl(const ApiContext& api, std::wstring_view request);

// "&" followed by hour, minute and second of the local time of the moment,
// without padding (9:05:07 gives "&957"); a part that cannot be computed is
// written as -1. A query item without a value that only makes each URL
// distinct, so no cache between the program and the server answers a
// request with an old answer.
std::wstring TimeToken(std::time_t moment);

// Fetches ApiUrl(request) with HttpGetToFile; the caller deletes the answer
// file after use.
[[nodiscard]] bool ApiGet(const ApiContext& api, std::wstring_view request, std::filesystem::path& answerFile,
            std::wstring_view extraHeaders = {});

}  // namespace kestrova::net
