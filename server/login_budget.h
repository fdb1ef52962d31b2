// How many wrong log-ins the server lets through before it slows the guesser:
// a failure budget per login name and one per caller address, kept in the
// database so that a restart does not hand out fresh ones.
//
// Each budget allows a number of failures in a row; from the last allowed one
// on, every failure refuses further attempts for a time that doubles with each
// further failure, up to a cap. A refused attempt is answered like a wrong
// password without checking anything and changes nothing. Attempts still being
// checked count as failures to those that ask to be let in meanwhile, so that
// parallel guessing gets no more checks than guessing one at a time: as many
// as the allowance has left, and once it is used up one per refusal. A budget
// is forgotten after a quiet period without failure, counted from the end of
// its refusal; a successful log-in clears its login's budget but not its
// address's, so that an attacker with one valid account cannot wash the
// address he guesses from.
#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "database.h"

namespace kestrova::server {

// The wall clock: refusals are stored and outlive the process.
using BudgetClock = std::chrono::system_clock;

struct BudgetRule {
  int allowance = 0;  // failures in a row before refusals start
  std::chrono::milliseconds first_refusal{0};
  std::chrono::milliseconds longest_refusal{0};
};

struct BudgetLimits {
  BudgetRule login;
  BudgetRule address;
  std::chrono::milliseconds quiet_period{0};
  // Rows kept at most, so that guessing millions of names cannot grow the
  // table without bound; the rows nearest to being forgotten go first.
  std::size_t max_subjects = 0;
};

// The server's budgets: ten failures per login, fifty per address (many
// subscribers may share a carrier's address); refusals from 1 s doubling to
// 15 minutes; forgotten after 15 quiet minutes.
BudgetLimits DefaultBudgetLimits();

// The database calls work inside the caller's locked use of the database.
class LoginBudget {
 public:
  explicit LoginBudget(BudgetLimits limits) : limits_(limits) {}
  LoginBudget(const LoginBudget&) = delete;
  LoginBudget& operator=(const LoginBudget&) = delete;

  // A log-in being checked; it stops counting against the budgets when it
  // ends, so its failure must be recorded before then.
  class Attempt {
   public:
    Attempt(LoginBudget& budget, std::string login_subject, std::string address_subject);
    Attempt(Attempt&& other) noexcept;
    Attempt& operator=(Attempt&&) = delete;
    Attempt(const Attempt&) = delete;
    Attempt& operator=(const Attempt&) = delete;
    ~Attempt();

   private:
    LoginBudget* budget_;  // nullptr once moved from
    std::string login_subject_;
    std::string address_subject_;
  };

  // Lets an attempt be checked; nullopt when the login or the address is
  // refused, or has as many attempts being checked as it may still fail.
  std::optional<Attempt> Admit(Database& db, std::string_view login, std::string_view address,
                               BudgetClock::time_point now);
  // Counts one wrong log-in against both budgets.
  void RecordFailure(Database& db, std::string_view login, std::string_view address,
                     BudgetClock::time_point now) const;
  // A successful log-in: the login starts afresh.
  void RecordSuccess(Database& db, std::string_view login) const;

 private:
  struct Standing {
    std::int64_t failures = 0;
    std::int64_t refused_until = 0;
  };

  Standing Read(Database& db, const std::string& subject, std::int64_t now) const;
  bool MayCheckMore(const std::string& subject, const Standing& standing, const BudgetRule& rule) const;
  void CountFailure(Database& db, const std::string& subject, const BudgetRule& rule, std::int64_t now) const;
  void Prune(Database& db, std::int64_t now) const;
  void Release(const std::string& login_subject, const std::string& address_subject);

  const BudgetLimits limits_;
  std::mutex mutex_;  // guards checking_
  // Attempts being checked, by subject; subjects with none are left out.
  std::unordered_map<std::string, int> checking_;
};

// The budget rows' keys: "login:<name>" and "addr:<address>". An IPv6 address
// counts by its /64 network, which one subscriber line holds as a whole.
std::string LoginSubject(std::string_view login);
std::string AddressSubject(std::string_view address);

}  // namespace kestrova::server
