// The TV programme of a channel, generated from its programme template: one
// block per hour that the template covers, each opened by a heading entry and
// filled with the template's shows in turn. The result depends only on the
// channel, the day and the hour, so a block id names a block completely:
//   block id = channel id * 10^7 + day number * 100 + hour.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "catalogue.h"

namespace kestrova::server {

inline constexpr int kMinutesPerBlock = 60;

struct ProgrammeEntry {
  int id = 0;                    // the show's id, or its video's id; 0 for the heading
  const Show* show = nullptr;    // nullptr for the heading
  const LocalText* name = nullptr;
  int offset_minutes = 0;        // from the start of the block
  int minutes = 0;
};

struct ProgrammeBlock {
  int id = 0;
  int hour = 0;
  const LocalText* name = nullptr;
  std::vector<ProgrammeEntry> entries;
};

struct ProgrammeDay {
  std::vector<ProgrammeBlock> blocks;
  std::string end;  // "HH:MM" at which the last block ends
};

// An entry placed on the clock, for the now-and-next lists.
struct TimedEntry {
  ProgrammeEntry entry;
  int day_number = 0;
  int start_minute = 0;  // minutes since midnight of that day
};

class Programme {
 public:
  explicit Programme(const Catalogue& catalogue) : catalogue_(catalogue) {}

  // The channel's blocks of one day; empty without a programme template.
  ProgrammeDay Day(const Channel& channel, int day_number) const;

  struct Located {
    const Channel* channel = nullptr;
    int day_number = 0;
    ProgrammeBlock block;
  };
  // The block a block id names, or nullopt for an id that names none.
  std::optional<Located> Find(int block_id) const;

  // The entries on air and following (next) or already shown (last) around a
  // moment, at most count of them, in programme order. Headings are left out.
  std::vector<TimedEntry> Around(const Channel& channel, int day_number, int second_of_day, bool next,
                                 std::size_t count) const;

 private:
  std::optional<ProgrammeBlock> BlockAt(const Channel& channel, const ProgrammeTheme& theme, int day_number,
                                        int hour) const;

  const Catalogue& catalogue_;
};

}  // namespace kestrova::server
