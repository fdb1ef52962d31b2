#include "platform/clock.h"

namespace kestrova::platform {

std::time_t SystemClock::Now() const { return std::time(nullptr); }

const SystemClock& SystemClock::Instance() {
  static const SystemClock clock;
  return clock;
}

const SteadyClock& SteadyClock::Instance() {
  static const SteadyClock clock;
  return clock;
}

std::optional<std::tm> LocalTime(std::time_t moment) {
  std::tm parts{};
  if (::localtime_r(&moment, &parts) == nullptr) return std::nullopt;
  return parts;
}

}  // namespace kestrova::platform
