#include "civil_time.h"

#include <charconv>
#include <chrono>
#include <cstdio>

namespace kestrova::server {
namespace {

constexpr int kFirstYear = 2020;
constexpr int kLastYear = 2099;

namespace chrono = std::chrono;

// Days since 1970-01-01 of a calendar date (the date must be valid).
int DaysFromCivil(int year, int month, int day) {
  const chrono::sys_days days = chrono::year{year} / chrono::month{static_cast<unsigned>(month)} /
                                chrono::day{static_cast<unsigned>(day)};
  return static_cast<int>(days.time_since_epoch().count());
}

CivilDate CivilFromDays(int days) {
  const chrono::year_month_day date{chrono::sys_days{chrono::days{days}}};
  return {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
          static_cast<int>(static_cast<unsigned>(date.day()))};
}

const int kFirstDayFromEpoch = DaysFromCivil(kFirstYear, 1, 1);

std::optional<int> Digits(std::string_view text) {
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<int> DayNumber(const CivilDate& date) {
  if (date.year < kFirstYear || date.year > kLastYear || date.month < 1 || date.month > 12 || date.day < 1 ||
      date.day > 31) {
    return std::nullopt;
  }
  const chrono::year_month_day ymd{chrono::year{date.year}, chrono::month{static_cast<unsigned>(date.month)},
                                   chrono::day{static_cast<unsigned>(date.day)}};
  if (!ymd.ok()) return std::nullopt;  // 31 April, 30 February, month 13 and the like
  return DaysFromCivil(date.year, date.month, date.day) - kFirstDayFromEpoch;
}

CivilDate DateOfDay(int day_number) { return CivilFromDays(day_number + kFirstDayFromEpoch); }

std::optional<CivilDate> ParseDayMonthYear(std::string_view text) {
  constexpr std::size_t kLength = 10;  // DD-MM-YYYY
  if (text.size() != kLength || text[2] != '-' || text[5] != '-') return std::nullopt;
  const auto day = Digits(text.substr(0, 2));
  const auto month = Digits(text.substr(3, 2));
  const auto year = Digits(text.substr(6, 4));
  if (!day || !month || !year) return std::nullopt;
  return CivilDate{*year, *month, *day};
}

LocalMoment LocalMomentOf(std::time_t moment) {
  std::tm local{};
  localtime_r(&moment, &local);
  const int days = DaysFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  return {days - kFirstDayFromEpoch, (local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec};
}

std::string TwoPartTime(int high, int low) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", high, low);
  return text;
}

}  // namespace kestrova::server
