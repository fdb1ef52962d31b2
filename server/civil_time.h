// Calendar days and clock times of the programme, counted in the server's
// local time. Days are numbered from kFirstDay (1 January 2020) so that they
// fit into programme block ids.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace kestrova::server {

struct CivilDate {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
};

inline constexpr int kSecondsPerDay = 24 * 60 * 60;
// Day numbers run from 0 (2020-01-01) to kLastDayNumber (2099-12-31).
inline constexpr int kLastDayNumber = 29219;

// Day number of a date; nullopt outside the range or for a date that does not exist.
std::optional<int> DayNumber(const CivilDate& date);
CivilDate DateOfDay(int day_number);

// "05-03-2024": two-digit day and month, four-digit year, nothing else.
std::optional<CivilDate> ParseDayMonthYear(std::string_view text);

struct LocalMoment {
  int day_number = 0;
  int second_of_day = 0;
};

// The server's local date and time of a moment.
LocalMoment LocalMomentOf(std::time_t moment);

// "HH:MM" of a number of minutes since midnight; "MM:SS" of a number of seconds.
std::string TwoPartTime(int high, int low);

}  // namespace kestrova::server
