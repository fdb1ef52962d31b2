// Screen 12: the programme blocks of one day of a channel. For today the
// block running now is preselected; the left soft key opens the day choice
// and a block opens its entries.
#pragma once

#include <cstdint>

#include "ui/screens/catalogue_screen.h"

namespace kestrova::ui::screens {

class ChannelProgrammeScreen final : public CatalogueScreen {
 public:
  ChannelProgrammeScreen();

  // From the channel screen: its channel, today.
  bool Enter(const ScreenEntry& entry) override;
  // From the day choice: the chosen day, when it is not the one shown.
  void Refresh(const ScreenEntry& entry) override;
  bool OnKeyUp(int key) override;
  void OnRequestDone(int command, model::RequestResultPtr result) override;
  void Draw(Painter& painter, platform::Canvas& target) override;

  model::CatalogueItem* Channel() const { return channel_; }
  std::int64_t ShownDate() const { return shownDate_; }
  // The block the selection is on, or null.
  model::ProgrammeBlock* SelectedBlock() const;

 private:
  void ShowDay(model::CatalogueItem& channel, std::int64_t date);
  void Activate() override;
  void Back() override;

  model::CatalogueItem* channel_ = nullptr;  // not owning
  model::ProgrammeDay* day_ = nullptr;       // of the channel; none when it has no such day
  std::int64_t shownDate_ = 0;
};

// The day of the channel on the same calendar date as `date`, or null.
model::ProgrammeDay* DayOf(model::CatalogueItem& channel, std::int64_t date);

}  // namespace kestrova::ui::screens
