// The account endpoints: logging in with a login and password, and creating
// a new account whose credentials the server hands over as a security
// string.
#pragma once

#include <string>

#include "net/request_result.h"

namespace kestrova::app {
class CKestrovaDoc;
}

namespace kestrova::net {

// login.php: on success stores user id, nick and session key from the
// answer and the sent login and password; a failure changes nothing.
RequestResultPtr Login(app::CKestrovaDoc& document, const std::wstring& login, const std::wstring& password);

// new_user.php: decodes the answer's security string; on success empties
// the country and operator choice and stores the new login and password.
// A string that does not decode to 16 characters fails with the generic
// text and changes nothing.
RequestResultPtr NewUser(app::CKestrovaDoc& document);

}  // namespace kestrova::net
