// The program's navigation: the first screen at start-up (with the
// automatic login of a stored account) and the one table of every move
// between screens.
#pragma once

#include <utility>
#include <vector>

#include "ui/navigator.h"

namespace kestrova::ui::screens {

class ScreenNavigator final : public Navigator {
 public:
  void Start(ScreenManager& manager) override;
  void Navigate(ScreenManager& manager, int target) override;

  // The (from, to) screen ids of every move the table lists, in its order.
  static std::vector<std::pair<int, int>> Moves();
};

}  // namespace kestrova::ui::screens
