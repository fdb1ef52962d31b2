#include "ui/screens/screen_navigator.h"

#include <array>

#include "resources/string_table.h"
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
    Transition{0, 1, Move::kRefreshSwitch},
    Transition{0, 6, Move::kSwitch},
    Transition{1, 2, Move::kEnter, kModeRegistration},
    Transition{1, 5, Move::kEnter, kModeRegistration, true},
    Transition{2, 3, Move::kEnter, kSameMode},
    Transition{2, 1, Move::kSwitch},
    Transition{2, 6, Move::kSwitch},
    Transition{3, 2, Move::kSwitch},
    Transition{3, 4, Move::kEnter, kSameMode},
    Transition{3, 5, Move::kEnter, kModeRegistration, true},
    Transition{3, 6, Move::kEnter},
    Transition{4, 3, Move::kSwitch},
    Transition{4, 5, Move::kEnter, kModeRegistration, true},
    Transition{4, 6, Move::kEnter},
    Transition{5, 6, Move::kEnter, kModeRegistration, false, 5},
    Transition{5, 9, Move::kEnter},
    Transition{5, 15, Move::kEnter},
    Transition{5, 16, Move::kSwitch},
    Transition{5, 18, Move::kEnter},
    Transition{5, 20, Move::kEnter},
    Transition{6, 0, Move::kEnter, kModeSettings},
    Transition{6, 1, Move::kSwitch},
    Transition{6, 2, Move::kEnter, kModeSettings},
    Transition{6, 5, Move::kEnter},
    Transition{6, 7, Move::kEnter},
    Transition{6, 8, Move::kEnter},
    Transition{6, 10, Move::kSwitch},
    Transition{6, 16, Move::kSwitch},
    Transition{7, 6, Move::kSwitch},
    Transition{7, 9, Move::kSwitch},
    Transition{7, 10, Move::kSwitch},
    Transition{8, 6, Move::kSwitch},
    Transition{9, 5, Move::kEnter},
    Transition{9, 7, Move::kEnter},
    Transition{9, 9, Move::kRedraw},
    Transition{9, 10, Move::kEnter},
    Transition{9, 11, Move::kEnter},
    Transition{10, 6, Move::kEnter, kModeRegistration, false, 10},
    Transition{10, 7, Move::kEnter},
    Transition{10, 9, Move::kRefreshSwitch},
    Transition{10, 10, Move::kRedraw},
    Transition{10, 11, Move::kEnter},
    Transition{10, 12, Move::kEnter},
    Transition{10, 22, Move::kSwitch},
    Transition{11, 9, Move::kLeavePlayer},
    Transition{11, 10, Move::kLeavePlayer},
    Transition{11, 16, Move::kSwitch},
    Transition{12, 10, Move::kSwitch},
    Transition{12, 13, Move::kEnter},
    Transition{12, 14, Move::kEnter},
    Transition{13, 12, Move::kRefreshSwitch},
    Transition{14, 12, Move::kSwitch},
    Transition{14, 16, Move::kEnter},
    Transition{15, 5, Move::kEnter},
    Transition{15, 15, Move::kEnterForced},
    Transition{15, 16, Move::kEnter},
    Transition{16, 5, Move::kEnter},
    Transition{16, 6, Move::kEnter, kModeRegistration, false, 16},
    Transition{16, 11, Move::kEnter},
    Transition{16, 14, Move::kSwitch},
    Transition{16, 15, Move::kRefreshSwitch},
    Transition{16, 17, Move::kEnter},
    Transition{16, 22, Move::kSwitch},
    Transition{17, 16, Move::kSwitch},
    Transition{18, 5, Move::kEnter},
    Transition{18, 19, Move::kEnter, kModeRegistration, false, 18},
    Transition{19, 5, Move::kEnter},  // after the feedback was sent
    Transition{19, 18, Move::kSwitch},
    Transition{19, 20, Move::kSwitch},
    Transition{20, 5, Move::kEnter},
    Transition{20, 19, Move::kEnter, kModeRegistration, false, 20},
    Transition{20, 21, Move::kEnter},
    Transition{21, 20, Move::kSwitch},
    Transition{22, 10, Move::kSwitch},
    Transition{22, 16, Move::kEnter},
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

void ScreenNavigator::Navigate(ScreenManager& manager, int target) {
  const int from = manager.CurrentId();
  const Transition* transition = FindTransition(from, target);
  if (transition == nullptr) return;
  CatalogueScreen* destination = ScreenAt(manager, target);
  if (destination == nullptr) return;  // that screen is not part of this program yet
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
