// The ids of the 23 screens.
#pragma once

namespace kestrova::ui {

constexpr int kScreenCount = 23;
constexpr int kLanguageScreen = 0;
constexpr int kLoginScreen = 1;
constexpr int kCountryScreen = 2;
constexpr int kOperatorScreen = 3;
constexpr int kZoneScreen = 4;
constexpr int kMainMenuScreen = 5;
constexpr int kSettingsScreen = 6;
constexpr int kPaymentScreen = 7;
constexpr int kGiftCodeScreen = 8;
constexpr int kChannelFoldersScreen = 9;
constexpr int kChannelScreen = 10;
constexpr int kPlayerScreen = 11;
constexpr int kChannelProgrammeScreen = 12;
constexpr int kDayChoiceScreen = 13;
constexpr int kBlockProgrammeScreen = 14;
constexpr int kVideoCatalogueScreen = 15;
constexpr int kDetailsScreen = 16;
constexpr int kVideoOfferScreen = 17;
constexpr int kMessagesScreen = 18;
constexpr int kFeedbackScreen = 19;
constexpr int kHelpThemesScreen = 20;
constexpr int kHelpTextScreen = 21;
constexpr int kNowNextScreen = 22;

}  // namespace kestrova::ui
