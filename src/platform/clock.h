// The device clock: the current date and time in seconds, and its breakdown
// into local time. The document holds a clock so that tests can set the time.
// Beside it a monotonic clock with sub-second resolution, for measuring how
// long something took; it never jumps when the date is set.
#pragma once

#include <chrono>
#include <ctime>
#include <optional>

namespace kestrova::platform {

class Clock {
 public:
  virtual ~Clock() = default;
  // Seconds since 1970-01-01 00:00:00 UTC.
  virtual std::time_t Now() const = 0;
};

// The system's clock. It has no state, so one instance serves every thread.
class SystemClock final : public Clock {
 public:
  std::time_t Now() const override;
  static const SystemClock& Instance();
};

class MonotonicClock {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;
  virtual ~MonotonicClock() = default;
  virtual TimePoint Now() const = 0;
};

// The system's steady clock; stateless, so one instance serves every thread.
class SteadyClock final : public MonotonicClock {
 public:
  TimePoint Now() const override { return std::chrono::steady_clock::now(); }
  static const SteadyClock& Instance();
};

// The local date and time of a moment; nullopt when it cannot be computed
// (a moment outside the range the C library can represent).
std::optional<std::tm> LocalTime(std::time_t moment);

}  // namespace kestrova::platform
