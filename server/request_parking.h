// Lets a handler that cannot answer yet give its worker back: the request
// waits, holding no worker and no thread, and runs again (from its first
// byte, through the same handler) once it is due. A client that closes its
// connection meanwhile cancels it.
#pragma once

#include <chrono>
#include <memory>

namespace kestrova::server {

class RequestParking {
 public:
  using WallClock = std::chrono::system_clock;

  // Only from a handler, on the worker thread answering the request, and
  // before it wrote anything: whatever the handler puts in the response is
  // dropped. hold lives exactly as long as the request waits (until it runs
  // again, or its client leaves, or the server stops).
  virtual void ParkCurrentRequest(WallClock::time_point due, std::shared_ptr<void> hold) = 0;
  // From a handler, on its worker thread: whether the request being
  // answered runs again after it was parked.
  virtual bool CurrentRequestResumed() const = 0;

 protected:
  ~RequestParking() = default;
};

}  // namespace kestrova::server
