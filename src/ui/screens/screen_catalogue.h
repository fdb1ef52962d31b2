// Puts the program's screens into the screen manager, with the navigation
// that moves between them.
#pragma once

namespace kestrova::ui {
class ScreenManager;
}

namespace kestrova::ui::screens {

void InstallScreens(ScreenManager& manager);

}  // namespace kestrova::ui::screens
