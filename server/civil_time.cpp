#include "civil_time.h"

#include <charconv>
#include <cstdio>

namespace kestrova::server {
namespace {

constexpr int kFirstYear = 2020;
constexpr int kLastYear = 2099;
constexpr int kMonthsPerYear = 12;
constexpr int kDaysPerEra = 146097;
constexpr int kYearsPerEra = 400;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
constexpr int DaysFromCivil(int y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  const int era = (y >= 0 ? y : y - (kYearsPerEra - 1)) / kYearsPerEra;
  const int yoe = y - era * kYearsPerEra;
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * kDaysPerEra + doe - 719468;
}

CivilDate CivilFromDays(int z) {
  z += 719468;
  const int era = (z >= 0 ? z : z - (kDaysPerEra - 1)) / kDaysPerEra;
  const int doe = z - era * kDaysPerEra;
  const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int mp = (5 * doy + 2) / 153;
  const int d = doy - (153 * mp + 2) / 5 + 1;
  const int m = mp + (mp < 10 ? 3 : -9);
  return {yoe + era * kYearsPerEra + (m <= 2 ? 1 : 0), m, d};
}

constexpr int kFirstDayFromEpoch = DaysFromCivil(kFirstYear, 1, 1);

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
  if (date.year < kFirstYear || date.year > kLastYear || date.month < 1 || date.month > kMonthsPerYear ||
      date.day < 1 || date.day > 31) {
    return std::nullopt;
  }
  const int days = DaysFromCivil(date.year, date.month, date.day);
  const CivilDate back = CivilFromDays(days);
  if (back.month != date.month || back.day != date.day) return std::nullopt;  // 31 April and the like
  return days - kFirstDayFromEpoch;
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
