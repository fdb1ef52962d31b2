// What every transfer needs besides its URL: the cancel flag of the session,
// the kept connection of the stream set-up, the time-outs and size limit,
// the clock and the server's time gap. The document owns one for the whole
// session. A request's transfers run in a TransferScope over it, which adds
// the request's own cancel flag.
#pragma once

#include <atomic>
#include <chrono>

#include "net/kept_connection.h"
#include "platform/clock.h"
#include "platform/http.h"

namespace kestrova::net {

// A live segment's body is big and comes at the stream's own pace, so its
// exchange may take this long overall; the stall and slow-body rules still
// end one that stops making progress.
inline constexpr std::chrono::milliseconds kSegmentExchangeTimeout{std::chrono::minutes(3)};

struct NetworkContext {
  // Set to 1 once, by the end of the session on the user-interface thread;
  // every transfer reads it between chunks and ends. Atomic.
  std::atomic<int> cancel{0};
  // The stream set-up's kept HTTP connection; guarded by its own mutex.
  KeptConnection keptConnection;
  // Time-outs and size limit of every transfer. Like the clock, changed only
  // before the first worker starts (tests shorten the stall time).
  platform::HttpLimits httpLimits;
  // The overall limit of a live segment's getvid exchange (instead of
  // httpLimits.exchangeTimeout); set like httpLimits.
  std::chrono::milliseconds segmentExchangeTimeout = kSegmentExchangeTimeout;
  const platform::Clock* clock = &platform::SystemClock::Instance();
  // Times the download of each live segment; set like the clock.
  const platform::MonotonicClock* monotonic = &platform::SteadyClock::Instance();
  // Seconds to add to the device clock to get the server's time (from the
  // set-up answer); written by a worker, read by workers and the
  // user-interface thread at any time, so atomic.
  std::atomic<int> timeGap{0};

  // The server's time now: the device clock plus the time gap.
  std::int64_t ServerNow() const {
    return static_cast<std::int64_t>(clock->Now()) + timeGap.load(std::memory_order_relaxed);
  }
};

// The transfers of one request: the session's network context, the limits
// they run with (the session's unless the request needs longer) and, for a
// request the user is waiting for, its own cancel flag, which Back raises.
// Made from the context alone it adds nothing to the session's rules, so a
// transfer outside any request (a test, a preview picture) passes just the
// context.
struct TransferScope {
  TransferScope(NetworkContext& context)  // implicit: a bare context is a scope of its own
      : network(context), limits(context.httpLimits) {}
  TransferScope(NetworkContext& context, const std::atomic<int>* cancel)
      : network(context), limits(context.httpLimits), requestCancel(cancel) {}

  NetworkContext& network;
  platform::HttpLimits limits;
  const std::atomic<int>* requestCancel = nullptr;  // owned by the request; may be null
};

}  // namespace kestrova::net
