#include "login_budget.h"

#include <algorithm>
#include <utility>

#include "ip_address.h"

namespace kestrova::server {
namespace {

using std::chrono::milliseconds;
using std::chrono::minutes;
using std::chrono::seconds;

constexpr int kLoginAllowance = 10;
constexpr int kAddressAllowance = 50;
constexpr milliseconds kFirstRefusal = seconds(1);
constexpr milliseconds kLongestRefusal = minutes(15);
constexpr milliseconds kQuietPeriod = minutes(15);
constexpr std::size_t kMaxSubjects = 100000;
// Real logins are a few characters and addresses a few dozen; longer text is
// cut rather than stored whole, so that guessed names cannot fill the disk.
constexpr std::size_t kMaxSubjectText = 64;
// Doubling beyond this many times exceeds any sensible cap anyway.
constexpr int kMaxDoublings = 30;

std::int64_t Millis(BudgetClock::time_point when) {
  return std::chrono::duration_cast<milliseconds>(when.time_since_epoch()).count();
}

// How long the failure-th failure in a row refuses attempts (0: not at all).
std::int64_t Refusal(const BudgetRule& rule, std::int64_t failure) {
  if (failure < rule.allowance) return 0;
  const auto doublings = static_cast<int>(std::min<std::int64_t>(failure - rule.allowance, kMaxDoublings));
  return std::min(rule.first_refusal.count() << doublings, rule.longest_refusal.count());
}

}  // namespace

BudgetLimits DefaultBudgetLimits() {
  return {{kLoginAllowance, kFirstRefusal, kLongestRefusal},
          {kAddressAllowance, kFirstRefusal, kLongestRefusal},
          kQuietPeriod,
          kMaxSubjects};
}

std::string LoginSubject(std::string_view login) { return "login:" + std::string(login.substr(0, kMaxSubjectText)); }

std::string AddressSubject(std::string_view address) {
  return "addr:" + SubscriberNetwork(address.substr(0, kMaxSubjectText));
}

LoginBudget::Attempt::Attempt(LoginBudget& budget, std::string login_subject, std::string address_subject)
    : budget_(&budget), login_subject_(std::move(login_subject)), address_subject_(std::move(address_subject)) {}

LoginBudget::Attempt::Attempt(Attempt&& other) noexcept
    : budget_(std::exchange(other.budget_, nullptr)),
      login_subject_(std::move(other.login_subject_)),
      address_subject_(std::move(other.address_subject_)) {}

LoginBudget::Attempt::~Attempt() {
  if (budget_ != nullptr) budget_->Release(login_subject_, address_subject_);
}

std::optional<LoginBudget::Attempt> LoginBudget::Admit(Database& db, std::string_view login, std::string_view address,
                                                       BudgetClock::time_point now) {
  std::string login_subject = LoginSubject(login);
  std::string address_subject = AddressSubject(address);
  const Standing by_login = Read(db, login_subject, Millis(now));
  const Standing by_address = Read(db, address_subject, Millis(now));
  if (by_login.refused_until > Millis(now) || by_address.refused_until > Millis(now)) return std::nullopt;
  const std::lock_guard lock(mutex_);
  if (!MayCheckMore(login_subject, by_login, limits_.login) ||
      !MayCheckMore(address_subject, by_address, limits_.address)) {
    return std::nullopt;
  }
  ++checking_[login_subject];
  ++checking_[address_subject];
  return Attempt(*this, std::move(login_subject), std::move(address_subject));
}

// With mutex_ held. Past the allowance, one attempt at a time: its failure
// starts the next refusal.
bool LoginBudget::MayCheckMore(const std::string& subject, const Standing& standing, const BudgetRule& rule) const {
  const auto it = checking_.find(subject);
  const std::int64_t checking = it == checking_.end() ? 0 : it->second;
  return checking < std::max<std::int64_t>(1, rule.allowance - standing.failures);
}

void LoginBudget::Release(const std::string& login_subject, const std::string& address_subject) {
  const std::lock_guard lock(mutex_);
  for (const std::string* subject : {&login_subject, &address_subject}) {
    const auto it = checking_.find(*subject);
    if (it != checking_.end() && --it->second <= 0) checking_.erase(it);
  }
}

// A budget whose quiet period has passed counts as none.
LoginBudget::Standing LoginBudget::Read(Database& db, const std::string& subject, std::int64_t now) const {
  auto query = db.Prepare(
      "SELECT failures, refused_until FROM login_budgets WHERE subject = ? AND max(last_failure, refused_until) > ?");
  query.Bind(1, subject).Bind(2, now - limits_.quiet_period.count());
  if (!query.Step()) return {};
  return {query.Int(0), query.Int(1)};
}

void LoginBudget::RecordFailure(Database& db, std::string_view login, std::string_view address,
                                BudgetClock::time_point now) const {
  Transaction transaction(db);
  CountFailure(db, LoginSubject(login), limits_.login, Millis(now));
  CountFailure(db, AddressSubject(address), limits_.address, Millis(now));
  Prune(db, Millis(now));
  transaction.Commit();
}

void LoginBudget::CountFailure(Database& db, const std::string& subject, const BudgetRule& rule,
                               std::int64_t now) const {
  Standing standing = Read(db, subject, now);
  ++standing.failures;
  // Failures checked side by side may end in either order: the longer
  // refusal stands.
  if (const std::int64_t refusal = Refusal(rule, standing.failures); refusal > 0) {
    standing.refused_until = std::max(standing.refused_until, now + refusal);
  }
  auto store = db.Prepare(
      "INSERT OR REPLACE INTO login_budgets (subject, failures, last_failure, refused_until) VALUES (?, ?, ?, ?)");
  store.Bind(1, subject).Bind(2, standing.failures).Bind(3, now).Bind(4, standing.refused_until);
  store.Run();
}

// Forgets the budgets whose quiet period has passed, then, past the cap, the
// ones nearest to being forgotten.
void LoginBudget::Prune(Database& db, std::int64_t now) const {
  auto forget = db.Prepare("DELETE FROM login_budgets WHERE max(last_failure, refused_until) <= ?");
  forget.Bind(1, now - limits_.quiet_period.count());
  forget.Run();
  auto count = db.Prepare("SELECT COUNT(*) FROM login_budgets");
  count.Step();
  const std::int64_t excess = count.Int(0) - static_cast<std::int64_t>(limits_.max_subjects);
  if (excess <= 0) return;
  auto trim = db.Prepare(
      "DELETE FROM login_budgets WHERE subject IN "
      "(SELECT subject FROM login_budgets ORDER BY max(last_failure, refused_until) LIMIT ?)");
  trim.Bind(1, excess);
  trim.Run();
}

void LoginBudget::RecordSuccess(Database& db, std::string_view login) const {
  auto clear = db.Prepare("DELETE FROM login_budgets WHERE subject = ?");
  clear.Bind(1, LoginSubject(login));
  clear.Run();
}

}  // namespace kestrova::server
