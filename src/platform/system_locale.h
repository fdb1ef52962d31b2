// The locale the user's session asks for its messages, as the C library
// chooses it: the first of LANGUAGE (its first entry), LC_ALL, LC_MESSAGES
// and LANG that is set and not empty.
#pragma once

#include <string>

namespace kestrova::platform {

// "" when none is set.
std::string MessagesLocale();

}  // namespace kestrova::platform
