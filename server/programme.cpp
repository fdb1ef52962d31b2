#include "programme.h"

#include <algorithm>

#include "civil_time.h"

namespace kestrova::server {
namespace {

constexpr int kHoursPerDay = 24;
constexpr int kMinutesPerHour = 60;
constexpr int kBlockIdChannelFactor = 10'000'000;
constexpr int kBlockIdDayFactor = 100;
// The client clamps block times to 23:59, so the day ends there.
constexpr int kLastMinuteOfDay = kHoursPerDay * kMinutesPerHour - 1;

const ThemeBlock* ThemeBlockAt(const ProgrammeTheme& theme, int hour) {
  const auto it = std::find_if(theme.blocks.begin(), theme.blocks.end(),
                               [hour](const ThemeBlock& b) { return b.from_hour <= hour && hour < b.to_hour; });
  return it == theme.blocks.end() ? nullptr : &*it;
}

}  // namespace

std::optional<ProgrammeBlock> Programme::BlockAt(const Channel& channel, const ProgrammeTheme& theme,
                                                 int day_number, int hour) const {
  const ThemeBlock* source = ThemeBlockAt(theme, hour);
  if (source == nullptr) return std::nullopt;
  ProgrammeBlock block;
  block.id = channel.id * kBlockIdChannelFactor + day_number * kBlockIdDayFactor + hour;
  block.hour = hour;
  block.name = &source->name;
  block.entries.push_back({0, nullptr, &source->name, 0, 0});
  // The first show moves on with every hour and every day, so that the same
  // hour differs from day to day.
  const std::size_t count = source->shows.size();
  std::size_t next = static_cast<std::size_t>(hour + day_number + channel.id) % count;
  for (int offset = 0; offset < kMinutesPerBlock; ++next) {
    const Show& show = source->shows[next % count];
    const int minutes = std::min(show.minutes, kMinutesPerBlock - offset);
    block.entries.push_back({show.video != 0 ? show.video : show.id, &show, &show.name, offset, minutes});
    offset += minutes;
  }
  return block;
}

ProgrammeDay Programme::Day(const Channel& channel, int day_number) const {
  ProgrammeDay day;
  const ProgrammeTheme* theme = catalogue_.FindTheme(channel.theme);
  if (theme == nullptr) return day;
  for (int hour = 0; hour < kHoursPerDay; ++hour) {
    if (auto block = BlockAt(channel, *theme, day_number, hour)) day.blocks.push_back(std::move(*block));
  }
  if (!day.blocks.empty()) {
    const int end_minute = std::min((day.blocks.back().hour + 1) * kMinutesPerHour, kLastMinuteOfDay);
    day.end = TwoPartTime(end_minute / kMinutesPerHour, end_minute % kMinutesPerHour);
  }
  return day;
}

std::optional<Programme::Located> Programme::Find(int block_id) const {
  if (block_id < 0) return std::nullopt;
  const int hour = block_id % kBlockIdDayFactor;
  const int day_number = (block_id / kBlockIdDayFactor) % (kBlockIdChannelFactor / kBlockIdDayFactor);
  const Channel* channel = catalogue_.FindChannel(block_id / kBlockIdChannelFactor);
  if (channel == nullptr || hour >= kHoursPerDay || day_number > kLastDayNumber) return std::nullopt;
  const ProgrammeTheme* theme = catalogue_.FindTheme(channel->theme);
  if (theme == nullptr) return std::nullopt;
  auto block = BlockAt(*channel, *theme, day_number, hour);
  if (!block) return std::nullopt;
  return Located{channel, day_number, std::move(*block)};
}

std::vector<TimedEntry> Programme::Around(const Channel& channel, int day_number, int second_of_day, bool next,
                                          std::size_t count) const {
  // Yesterday, today and tomorrow are enough for any count the lists use.
  std::vector<TimedEntry> timeline;
  for (int day = std::max(day_number - 1, 0); day <= std::min(day_number + 1, kLastDayNumber); ++day) {
    for (const auto& block : Day(channel, day).blocks) {
      for (const auto& entry : block.entries) {
        if (entry.show == nullptr) continue;
        timeline.push_back({entry, day, block.hour * kMinutesPerHour + entry.offset_minutes});
      }
    }
  }
  const long long now = static_cast<long long>(day_number) * kSecondsPerDay + second_of_day;
  const auto ends_after_now = [now](const TimedEntry& t) {
    const long long end =
        static_cast<long long>(t.day_number) * kSecondsPerDay + (t.start_minute + t.entry.minutes) * 60LL;
    return end > now;
  };
  const auto first_current = std::find_if(timeline.begin(), timeline.end(), ends_after_now);
  std::vector<TimedEntry> result;
  if (next) {
    for (auto it = first_current; it != timeline.end() && result.size() < count; ++it) result.push_back(*it);
  } else {
    const auto available = static_cast<std::size_t>(first_current - timeline.begin());
    const auto skip = available > count ? available - count : 0;
    result.assign(timeline.begin() + static_cast<std::ptrdiff_t>(skip), first_current);
  }
  return result;
}

}  // namespace kestrova::server
