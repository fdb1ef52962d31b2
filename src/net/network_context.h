// What every transfer needs besides its URL: the cancel flag of the session,
// the kept connection of the stream set-up, the time-outs and size limit,
// the clock and the server's time gap. The document owns one for the whole
// session.
#pragma once

#include <atomic>

#include "net/kept_connection.h"
#include "platform/clock.h"
#include "platform/http.h"

namespace kestrova::net {

struct NetworkContext {
  // Set to 1 once, by the end of the session on the user-interface thread;
  // every transfer reads it between chunks and ends. Atomic.
  std::atomic<int> cancel{0};
  // The stream set-up's kept HTTP connection; guarded by its own mutex.
  KeptConnection keptConnection;
  // Time-outs and size limit of every transfer. Like the clock, changed only
  // before the first worker starts (tests shorten the stall time).
  platform::HttpLimits httpLimits;
  const platform::Clock* clock = &platform::SystemClock::Instance();
  // Seconds to add to the device clock to get the server's time (from the
  // set-up answer); written by a worker, read by workers and the
  // user-interface thread at any time, so atomic.
  std::atomic<int> timeGap{0};

  // The server's time now: the device clock plus the time gap.
  std::int64_t ServerNow() const {
    return static_cast<std::int64_t>(clock->Now()) + timeGap.load(std::memory_order_relaxed);
  }
};

}  // namespace kestrova::net
