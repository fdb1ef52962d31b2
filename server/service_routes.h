// The paths besides the API scripts: channel logos, video preview pictures,
// the connection probe "/blank.php", the update page, and the request log
// (recording of every request target, and, when the operator turns it on,
// its read-out "/_log/requests" for this machine's own requests).
#pragma once

#include <httplib.h>

#include <functional>

#include "catalogue.h"
#include "images.h"
#include "link_limit.h"
#include "request_log.h"

namespace kestrova::server {

inline constexpr const char* kRequestLogPath = "/_log/requests";
inline constexpr const char* kLinkControlPath = "/_link/kbps";

// Records every request target except the log's own; installed first so that
// a target is recorded before its answer is sent. A request for which
// again() is true (one that runs again after waiting parked) was recorded
// when it first arrived.
void InstallRequestRecording(httplib::Server& http, RequestLog& log, std::function<bool()> again = {});

// The routes must be installed before the API router's catch-all for ".php".
void InstallServiceRoutes(httplib::Server& http, const Catalogue& catalogue, const LogoStore& logos);

// "/_log/requests": the recorded targets, oldest first, one a line;
// "?clear=1" empties the memory. Only a loopback peer whose request carries
// no forwarding header gets them: a reverse proxy on this machine connects
// from loopback too, for anybody. Everyone else gets 404.
void InstallRequestLogReadOut(httplib::Server& http, RequestLog& log);

// "/_link/kbps": the send limit of getvid bodies in kbit/s ("0" for none),
// as a line of text; "?set=N" changes it first (N from 0 to
// LinkLimit::kMaxKbps, else 400). For the same peers as the request log's
// read-out; everyone else gets 404.
void InstallLinkControl(httplib::Server& http, LinkLimit& link);

}  // namespace kestrova::server
