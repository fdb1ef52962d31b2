// The HTTP session that stays open between the two exchanges of the stream
// set-up (set-up headers, then the segment body), so the second request
// travels over the first one's connection.
#pragma once

#include <functional>
#include <memory>
#include <mutex>

#include "platform/http.h"

namespace kestrova::net {

class KeptConnection {
 public:
  using Exchange = std::function<platform::HttpResponse(platform::HttpSession&)>;

  // Runs one exchange on the kept session, opening the session first when
  // there is none. An exchange that fails (no answer, broken transfer,
  // cancelled) closes the session, so the next one starts on a fresh
  // connection.
  platform::HttpResponse Run(const Exchange& exchange);

  // Closes the session and its connection; the next Run opens a new one.
  // Waits for a running exchange, so callers set the cancel flag first.
  void Close();

  bool IsOpen() const;

 private:
  // Guards session_: the stream set-up worker runs exchanges on it, the
  // user-interface thread closes it when the session ends.
  mutable std::mutex mutex_;
  std::unique_ptr<platform::HttpSession> session_;
};

}  // namespace kestrova::net
