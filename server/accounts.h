// Subscriber accounts: creation with generated credentials, log-in with
// session keys, the regional settings and the favourite videos of each account.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "login_budget.h"
#include "password_hash.h"
#include "storage.h"

namespace kestrova::server {

struct Account {
  int id = 0;
  std::string login;
  std::string nick;
  std::string country_code;
  int operator_id = -1;
  int zone_id = -1;
};

struct NewAccount {
  int id = 0;
  std::string login;
  std::string password;
};

struct SessionStart {
  int user_id = 0;
  std::string nick;
  std::string key;
};

class Accounts {
 public:
  Accounts(Storage& storage, PasswordHasher& hasher)
      : storage_(storage), hasher_(hasher), budget_(DefaultBudgetLimits()) {}

  // A new account with a generated login and password (the security string's
  // alphabet and length).
  NewAccount Create(int affiliate_id, int lng_id, std::time_t now);
  // A new session for matching credentials; nullopt otherwise. A password
  // stored in an old form or at another cost is hashed anew on the way.
  // address: the caller's. Every attempt is weighed against the failure
  // budgets of the login and the address (see LoginBudget): one not admitted
  // gets nullopt at once, unchecked. An unknown login takes as long as a
  // wrong password.
  std::optional<SessionStart> Login(std::string_view login, std::string_view password, std::string_view address,
                                    BudgetClock::time_point now);
  // The account of a live session; nullopt for an unknown or expired key, or
  // a key of another account.
  std::optional<Account> BySession(int user_id, std::string_view key, std::time_t now);
  std::optional<int> IdByLogin(std::string_view login);

  void UpdateRegion(int user_id, std::string_view country_code, int operator_id, int zone_id, int lng_id);

  bool IsFavourite(int user_id, int video_id);
  void SetFavourite(int user_id, int video_id, bool favourite, std::time_t now);
  std::vector<int> Favourites(int user_id);  // in the order they were added

 private:
  Storage& storage_;
  PasswordHasher& hasher_;
  LoginBudget budget_;
};

}  // namespace kestrova::server
