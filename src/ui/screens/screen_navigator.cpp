#include "ui/screens/screen_navigator.h"

#include <array>

#include "resources/string_table.h"
#include "resources/system_language.h"
#include "ui/screens/catalogue_screen.h"
#include "ui/screens/login_screen.h"
#include "ui/view_host.h"

namespace kestrova::ui::screens {
namespace {

enum class Move {
  kSwitch,           // make the screen current as it was left
  kEnter,            // run its entry operation first
  kEnterForced,      // enter and redraw even when it is the current screen
  kRedraw,           // stay, redraw
  kRefreshSwitch,    // bring it up to date with the data state, then switch
  kLeavePlayer,      // destroy the player, then switch
};

constexpr int kSameMode = -1;   // the target takes the mode of the screen the move starts on
constexpr int kKeepReturn = -1;

struct Transition {
  int from;
  int to;
  Move move;
  int mode = kModeRegistration;
  bool notices = false;
  int returnScreen = kKeepReturn;
};

// Every move between screens; a pair that is not listed changes nothing.
constexpr std::array kTransitions = {
    Transition{kLanguageScreen, kLoginScreen, Move::kRefreshSwitch},
    Transition{kLanguageScreen, kSettingsScreen, Move::kSwitch},
    Transition{kLoginScreen, kCountryScreen, Move::kEnter, kModeRegistration},
    Transition{kLoginScreen, kMainMenuScreen, Move::kEnter, kModeRegistration, true},
    Transition{kCountryScreen, kOperatorScreen, Move::kEnter, kSameMode},
    Transition{kCountryScreen, kLoginScreen, Move::kSwitch},
    Transition{kCountryScreen, kSettingsScreen, Move::kSwitch},
    Transition{kOperatorScreen, kCountryScreen, Move::kSwitch},
    Transition{kOperatorScreen, kZoneScreen, Move::kEnter, kSameMode},
    Transition{kOperatorScreen, kMainMenuScreen, Move::kEnter, kModeRegistration, true},
    Transition{kOperatorScreen, kSettingsScreen, Move::kEnter},
    Transition{kZoneScreen, kOperatorScreen, Move::kSwitch},
    Transition{kZoneScreen, kMainMenuScreen, Move::kEnter, kModeRegistration, true},
    Transition{kZoneScreen, kSettingsScreen, Move::kEnter},
    Transition{kMainMenuScreen, kSettingsScreen, Move::kEnter, kModeRegistration, false, kMainMenuScreen},
    Transition{kMainMenuScreen, kChannelFoldersScreen, Move::kEnter},
    Transition{kMainMenuScreen, kVideoCatalogueScreen, Move::kEnter},
    Transition{kMainMenuScreen, kDetailsScreen, Move::kSwitch},
    Transition{kMainMenuScreen, kMessagesScreen, Move::kEnter},
    Transition{kMainMenuScreen, kHelpThemesScreen, Move::kEnter},
    Transition{kSettingsScreen, kLanguageScreen, Move::kEnter, kModeSettings},
    Transition{kSettingsScreen, kLoginScreen, Move::kSwitch},
    Transition{kSettingsScreen, kCountryScreen, Move::kEnter, kModeSettings},
    Transition{kSettingsScreen, kMainMenuScreen, Move::kEnter},
    Transition{kSettingsScreen, kPaymentScreen, Move::kEnter},
    Transition{kSettingsScreen, kGiftCodeScreen, Move::kEnter},
    Transition{kSettingsScreen, kChannelScreen, Move::kSwitch},
    Transition{kSettingsScreen, kDetailsScreen, Move::kSwitch},
    Transition{kPaymentScreen, kSettingsScreen, Move::kSwitch},
    Transition{kPaymentScreen, kChannelFoldersScreen, Move::kSwitch},
    Transition{kPaymentScreen, kChannelScreen, Move::kSwitch},
    Transition{kGiftCodeScreen, kSettingsScreen, Move::kSwitch},
    Transition{kChannelFoldersScreen, kMainMenuScreen, Move::kEnter},
    Transition{kChannelFoldersScreen, kPaymentScreen, Move::kEnter},
    Transition{kChannelFoldersScreen, kChannelFoldersScreen, Move::kRedraw},
    Transition{kChannelFoldersScreen, kChannelScreen, Move::kEnter},
    Transition{kChannelFoldersScreen, kPlayerScreen, Move::kEnter},
    Transition{kChannelScreen, kSettingsScreen, Move::kEnter, kModeRegistration, false, kChannelScreen},
    Transition{kChannelScreen, kPaymentScreen, Move::kEnter},
    Transition{kChannelScreen, kChannelFoldersScreen, Move::kRefreshSwitch},
    Transition{kChannelScreen, kChannelScreen, Move::kRedraw},
    Transition{kChannelScreen, kPlayerScreen, Move::kEnter},
    Transition{kChannelScreen, kChannelProgrammeScreen, Move::kEnter},
    Transition{kChannelScreen, kNowNextScreen, Move::kSwitch},
    Transition{kPlayerScreen, kChannelFoldersScreen, Move::kLeavePlayer},
    Transition{kPlayerScreen, kChannelScreen, Move::kLeavePlayer},
    Transition{kPlayerScreen, kDetailsScreen, Move::kSwitch},
    Transition{kChannelProgrammeScreen, kChannelScreen, Move::kSwitch},
    Transition{kChannelProgrammeScreen, kDayChoiceScreen, Move::kEnter},
    Transition{kChannelProgrammeScreen, kBlockProgrammeScreen, Move::kEnter},
    Transition{kDayChoiceScreen, kChannelProgrammeScreen, Move::kRefreshSwitch},
    Transition{kBlockProgrammeScreen, kChannelProgrammeScreen, Move::kSwitch},
    Transition{kBlockProgrammeScreen, kDetailsScreen, Move::kEnter},
    Transition{kVideoCatalogueScreen, kMainMenuScreen, Move::kEnter},
    Transition{kVideoCatalogueScreen, kVideoCatalogueScreen, Move::kEnterForced},
    Transition{kVideoCatalogueScreen, kDetailsScreen, Move::kEnter},
    Transition{kDetailsScreen, kMainMenuScreen, Move::kEnter},
    Transition{kDetailsScreen, kSettingsScreen, Move::kEnter, kModeRegistration, false, kDetailsScreen},
    Transition{kDetailsScreen, kPlayerScreen, Move::kEnter},
    Transition{kDetailsScreen, kBlockProgrammeScreen, Move::kSwitch},
    Transition{kDetailsScreen, kVideoCatalogueScreen, Move::kRefreshSwitch},
    Transition{kDetailsScreen, kVideoOfferScreen, Move::kEnter},
    Transition{kDetailsScreen, kNowNextScreen, Move::kSwitch},
    Transition{kVideoOfferScreen, kDetailsScreen, Move::kSwitch},
    Transition{kMessagesScreen, kMainMenuScreen, Move::kEnter},
    Transition{kMessagesScreen, kFeedbackScreen, Move::kEnter, kModeRegistration, false, kMessagesScreen},
    Transition{kFeedbackScreen, kMainMenuScreen, Move::kEnter},  // after the feedback was sent
    Transition{kFeedbackScreen, kMessagesScreen, Move::kSwitch},
    Transition{kFeedbackScreen, kHelpThemesScreen, Move::kSwitch},
    Transition{kHelpThemesScreen, kMainMenuScreen, Move::kEnter},
    Transition{kHelpThemesScreen, kFeedbackScreen, Move::kEnter, kModeRegistration, false, kHelpThemesScreen},
    Transition{kHelpThemesScreen, kHelpTextScreen, Move::kEnter},
    Transition{kHelpTextScreen, kHelpThemesScreen, Move::kSwitch},
    Transition{kNowNextScreen, kChannelScreen, Move::kSwitch},
    Transition{kNowNextScreen, kDetailsScreen, Move::kEnter},
};

const Transition* FindTransition(int from, int to) {
  for (const Transition& t : kTransitions) {
    if (t.from == from && t.to == to) return &t;
  }
  return nullptr;
}

CatalogueScreen* ScreenAt(const ScreenManager& manager, int id) {
  return dynamic_cast<CatalogueScreen*>(manager.GetScreen(id));
}

}  // namespace

void ScreenNavigator::Start(ScreenManager& manager) {
  model::DataState& data = manager.Document()->Data();
  const model::SettingsFields& settings = data.settings;
  auto* login = dynamic_cast<LoginScreen*>(manager.GetScreen(kLoginScreen));
  const bool firstStart = settings.languageId == -1;
  int first = kLoginScreen;
  if (firstStart) {
    first = kLanguageScreen;
    // No language chosen yet: the list offers the session's own, and its
    // title and soft keys speak it.
    resources::Strings().SetLanguage(resources::SystemLanguage());
    if (CatalogueScreen* language = ScreenAt(manager, kLanguageScreen)) language->Enter({-1, kModeFirstStart});
  } else {
    resources::Strings().SetLanguage(settings.languageId);
  }
  if (login != nullptr) {
    login->Enter({-1, kModeRegistration});
    login->SetCredentials(settings.login, settings.password);
    if (settings.login.empty() || firstStart) {
      login->ShowWelcome();
    } else {
      login->SetSelection(LoginScreen::kLoginButton);
      if (manager.Host() != nullptr) manager.Host()->SetAutomaticLogin(true);
    }
  }
  manager.ChangeScreen(first);
  if (login != nullptr && !firstStart && !settings.login.empty()) login->SubmitLogin();
}

std::vector<std::pair<int, int>> ScreenNavigator::Moves() {
  std::vector<std::pair<int, int>> moves;
  moves.reserve(kTransitions.size());
  for (const Transition& t : kTransitions) moves.emplace_back(t.from, t.to);
  return moves;
}

void ScreenNavigator::Navigate(ScreenManager& manager, int target) {
  const int from = manager.CurrentId();
  const Transition* transition = FindTransition(from, target);
  if (transition == nullptr) return;
  CatalogueScreen* destination = ScreenAt(manager, target);
  if (destination == nullptr) return;  // not a screen of the program (nothing to enter)
  ScreenEntry entry;
  entry.from = from;
  entry.notices = transition->notices;
  entry.returnScreen = transition->returnScreen;
  if (transition->mode == kSameMode) {
    const CatalogueScreen* source = ScreenAt(manager, from);
    entry.mode = source != nullptr ? source->EntryMode() : kModeRegistration;
  } else {
    entry.mode = transition->mode;
  }
  switch (transition->move) {
    case Move::kSwitch: manager.ChangeScreen(target); break;
    case Move::kEnter:
      if (destination->Enter(entry)) manager.ChangeScreen(target);
      break;
    case Move::kEnterForced:
      if (destination->Enter(entry)) manager.ChangeScreen(target, true);
      break;
    case Move::kRedraw: manager.SetNeedsRedraw(); break;
    case Move::kRefreshSwitch:
      destination->Refresh(entry);
      manager.ChangeScreen(target);
      break;
    case Move::kLeavePlayer:
      if (manager.Host() != nullptr) manager.Host()->DeletePlayer();
      manager.ChangeScreen(target);
      break;
  }
}

}  // namespace kestrova::ui::screens
