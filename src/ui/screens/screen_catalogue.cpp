#include "ui/screens/screen_catalogue.h"

#include <memory>

#include "ui/screens/language_screen.h"
#include "ui/screens/location_screen.h"
#include "ui/screens/login_screen.h"
#include "ui/screens/main_menu_screen.h"
#include "ui/screens/screen_navigator.h"
#include "ui/screens/settings_screen.h"

namespace kestrova::ui::screens {

void InstallScreens(ScreenManager& manager) {
  manager.Install(std::make_unique<LanguageScreen>());
  manager.Install(std::make_unique<LoginScreen>());
  for (const int id : {kCountryScreen, kOperatorScreen, kZoneScreen}) manager.Install(std::make_unique<LocationScreen>(id));
  manager.Install(std::make_unique<MainMenuScreen>());
  manager.Install(std::make_unique<SettingsScreen>());
  manager.SetNavigator(std::make_unique<ScreenNavigator>());
}

}  // namespace kestrova::ui::screens
