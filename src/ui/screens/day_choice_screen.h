// Screen 13: the days of a channel's programme, "day/month (weekday)";
// moving the selection chooses the day, the action loads its blocks and
// shows them.
#pragma once

#include <cstdint>
#include <string>

#include "ui/screens/catalogue_screen.h"

namespace kestrova::ui::screens {

class DayChoiceScreen final : public CatalogueScreen {
 public:
  DayChoiceScreen();

  // From the day's programme: its channel and the day shown there.
  bool Enter(const ScreenEntry& entry) override;
  bool OnKeyDown(int key) override;
  bool OnPointer(int x, int y, int kind) override;
  void OnRequestDone(int command, model::RequestResultPtr result) override;
  void Draw(Painter& painter, platform::Canvas& target) override;

  std::int64_t ChosenDate() const { return chosenDate_; }
  // "day/month (weekday)" of a date.
  static std::wstring DayText(std::int64_t date);

 private:
  void Choose();
  void Activate() override;
  void Back() override;

  model::CatalogueItem* channel_ = nullptr;  // not owning
  std::int64_t chosenDate_ = 0;
  std::int64_t shownDate_ = 0;
};

}  // namespace kestrova::ui::screens
