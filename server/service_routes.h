// The paths besides the API scripts: channel logos, video preview pictures,
// the connection probe "/blank.php", the update page, and the request log (recording of every request target, and its
// loopback-only read-out "/_log/requests").
#pragma once

#include <httplib.h>

#include "catalogue.h"
#include "images.h"
#include "request_log.h"

namespace kestrova::server {

inline constexpr const char* kRequestLogPath = "/_log/requests";

// Records every request target except the log's own; installed first so that
// a target is recorded before its answer is sent.
void InstallRequestRecording(httplib::Server& http, RequestLog& log);

// The routes must be installed before the API router's catch-all for ".php".
void InstallServiceRoutes(httplib::Server& http, const Catalogue& catalogue, const LogoStore& logos,
                          RequestLog& log);

}  // namespace kestrova::server
