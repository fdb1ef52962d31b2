// The program's navigation: the first screen at start-up (with the
// automatic login of a stored account) and the one table of every move
// between screens.
#pragma once

#include "ui/navigator.h"

namespace kestrova::ui::screens {

class ScreenNavigator final : public Navigator {
 public:
  void Start(ScreenManager& manager) override;
  void Navigate(ScreenManager& manager, int target) override;
};

}  // namespace kestrova::ui::screens
