// The address of an on-demand video: the file of one purchase quality under
// the stream control link, opened in the system's browser rather than in
// the built-in player.
#pragma once

#include <string>

#include "model/data_state.h"

namespace kestrova::net {

// "<control link>/orva<video>.3gp?user_id=...&user_key=...&quality=...
// &client_type=java&query_type=getvid_ondemand&video_id=<video>". The
// control link is used as the server gave it; when it already ends in "/"
// no second one is added. The session key is percent-encoded like in every
// other request.
std::wstring OnDemandUrl(const model::DataState& data, int videoId, int qualityId);

}  // namespace kestrova::net
