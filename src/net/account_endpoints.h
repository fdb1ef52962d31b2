// The account endpoints: logging in with a login and password, and creating
// a new account whose credentials the server hands over as a security
// string.
#pragma once

#include <string>

#include "model/request_result.h"
#include "net/api_context.h"

namespace kestrova::net {

// login.php: on success stores user id, nick and session key from the
// answer and the sent login and password; a failure changes nothing.
model::RequestResultPtr Login(const ApiContext& api, const std::wstring& login, const std::wstring& password);

// new_user.php: decodes the answer's security string; on success empties
// the country and operator choice and stores the new login and password.
// A string that does not decode to 16 characters fails with the generic
// text and changes nothing.
model::RequestResultPtr NewUser(const ApiContext& api);

}  // namespace kestrova::net
