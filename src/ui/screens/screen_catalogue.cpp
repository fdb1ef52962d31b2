#include "ui/screens/screen_catalogue.h"

#include <memory>

#include "ui/screens/block_programme_screen.h"
#include "ui/screens/channel_folders_screen.h"
#include "ui/screens/channel_programme_screen.h"
#include "ui/screens/channel_screen.h"
#include "ui/screens/day_choice_screen.h"
#include "ui/screens/details_screen.h"
#include "ui/screens/feedback_screen.h"
#include "ui/screens/gift_code_screen.h"
#include "ui/screens/help_text_screen.h"
#include "ui/screens/help_themes_screen.h"
#include "ui/screens/language_screen.h"
#include "ui/screens/location_screen.h"
#include "ui/screens/login_screen.h"
#include "ui/screens/main_menu_screen.h"
#include "ui/screens/messages_screen.h"
#include "ui/screens/now_next_screen.h"
#include "ui/screens/payment_screen.h"
#include "ui/screens/player_screen.h"
#include "ui/screens/screen_navigator.h"
#include "ui/screens/settings_screen.h"
#include "ui/screens/video_catalogue_screen.h"
#include "ui/screens/video_offer_screen.h"

namespace kestrova::ui::screens {

void InstallScreens(ScreenManager& manager) {
  manager.Install(std::make_unique<LanguageScreen>());
  manager.Install(std::make_unique<LoginScreen>());
  for (const int id : {kCountryScreen, kOperatorScreen, kZoneScreen}) manager.Install(std::make_unique<LocationScreen>(id));
  manager.Install(std::make_unique<MainMenuScreen>());
  manager.Install(std::make_unique<SettingsScreen>());
  manager.Install(std::make_unique<ChannelFoldersScreen>());
  manager.Install(std::make_unique<ChannelScreen>());
  manager.Install(std::make_unique<PlayerScreen>());
  manager.Install(std::make_unique<ChannelProgrammeScreen>());
  manager.Install(std::make_unique<DayChoiceScreen>());
  manager.Install(std::make_unique<BlockProgrammeScreen>());
  manager.Install(std::make_unique<DetailsScreen>());
  manager.Install(std::make_unique<NowNextScreen>());
  manager.Install(std::make_unique<PaymentScreen>());
  manager.Install(std::make_unique<GiftCodeScreen>());
  manager.Install(std::make_unique<VideoCatalogueScreen>());
  manager.Install(std::make_unique<VideoOfferScreen>());
  manager.Install(std::make_unique<MessagesScreen>());
  manager.Install(std::make_unique<FeedbackScreen>());
  manager.Install(std::make_unique<HelpThemesScreen>());
  manager.Install(std::make_unique<HelpTextScreen>());
  manager.SetNavigator(std::make_unique<ScreenNavigator>());
}

}  // namespace kestrova::ui::screens
