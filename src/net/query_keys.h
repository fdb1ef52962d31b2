// The query keys every request shares. Each endpoint's format string places
// the keys itself; their values always come from the same place:
//   user_id       the user id                       "%d"
//   key           the session key                   "%s"
//   affiliate_id  the affiliate id                  "%d"
//   lng_id        the server language id            "%02d" or "%d" as the endpoint has it
//   codepage      "utf8"
//   client        "wm" (client_type in version and the stream set-up)
//   dist_number   1
#pragma once

#include <string>
#include <string_view>

#include "net/api_context.h"

namespace kestrova::net {

inline constexpr const wchar_t* kCodepageValue = L"utf8";
inline constexpr const wchar_t* kClientValue = L"wm";
inline constexpr int kDistNumberValue = 1;

struct CommonQueryValues {
  int userId = 0;
  std::wstring key;  // already percent-encoded for the query
  int affiliateId = 0;
  int languageId = -1;  // the server's id of the interface language; -1 when none
};

CommonQueryValues CommonQuery(const ApiContext& api);

// A value from the user or the server, made safe for a query string: UTF-8
// bytes, percent-encoded except for the unreserved characters, so "&", "=",
// "#", blanks and non-ASCII letters cannot change the request while
// ordinary values stay byte for byte as they are.
std::wstring QueryValue(std::wstring_view text);

}  // namespace kestrova::net
