// The moment whose local clock shows the given date and time.
#pragma once

#include <ctime>

namespace kestrova::test {

inline std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm parts{};
  parts.tm_year = year - 1900;
  parts.tm_mon = month - 1;
  parts.tm_mday = day;
  parts.tm_hour = hour;
  parts.tm_min = minute;
  parts.tm_sec = second;
  parts.tm_isdst = -1;
  return std::mktime(&parts);
}

}  // namespace kestrova::test
