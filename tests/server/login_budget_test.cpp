// The log-in budgets' rules on the class itself, with a clock of the test's
// choosing: growing and capped refusals, the quiet period, the table's bound
// and how addresses are counted.
#include "ip_address.h"
#include "login_budget.h"
#include "storage.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace kestrova::test {
namespace {

using namespace std::chrono_literals;
using server::BudgetClock;

TEST(LoginBudgetTest, RefusalsGrowToTheirCapAndAreForgottenAfterAQuietPeriod) {
  TempDir dir;
  server::Storage storage((dir / "server.db").string());
  auto db = storage.Lock();
  const server::BudgetLimits limits{{3, 1000ms, 4000ms}, {100, 1000ms, 4000ms}, 10000ms, 6};
  server::LoginBudget budget(limits);
  const BudgetClock::time_point t0{1'700'000'000'000ms};
  const auto fail = [&](const char* login, auto at) { budget.RecordFailure(*db, login, "10.0.0.1", t0 + at); };
  const auto admit = [&](const char* login, auto at) { return budget.Admit(*db, login, "10.0.0.9", t0 + at); };
  const auto refused = [&](const char* login, auto at) { return !admit(login, at).has_value(); };

  {
    // Attempts being checked count as failures to whoever comes meanwhile.
    const auto first = admit("victim", 0ms), second = admit("victim", 0ms), third = admit("victim", 0ms);
    EXPECT_TRUE(first && second && third);
    EXPECT_TRUE(refused("victim", 0ms));
  }
  fail("victim", 0ms);
  fail("victim", 0ms);
  EXPECT_FALSE(refused("victim", 0ms));
  fail("victim", 0ms);  // the allowance is used up: 1 s
  EXPECT_TRUE(refused("victim", 999ms));
  {
    // Past the allowance, one at a time.
    const auto checking = admit("victim", 1000ms);
    EXPECT_TRUE(checking.has_value());
    EXPECT_TRUE(refused("victim", 1000ms));
  }
  EXPECT_FALSE(refused("other", 0ms));
  fail("victim", 1s);  // 2 s
  EXPECT_TRUE(refused("victim", 2999ms));
  EXPECT_FALSE(refused("victim", 3s));
  fail("victim", 3s);  // 4 s
  fail("victim", 7s);  // 8 s, cut to 4 s
  EXPECT_TRUE(refused("victim", 10999ms));
  EXPECT_FALSE(refused("victim", 11s));

  // The quiet period runs from the end of the refusal: still counting 9 s
  // after it, with the refusal at its cap.
  fail("victim", 20s);
  EXPECT_TRUE(refused("victim", 23s));
  // Quiet for long enough: a fresh allowance.
  fail("victim", 35s);
  EXPECT_FALSE(refused("victim", 35s));

  // Guessed names fill the table only up to its bound, and what goes first
  // is what is nearest to being forgotten, never a running refusal.
  fail("victim", 36s);
  fail("victim", 36s);
  for (int i = 0; i < 20; ++i) fail(("guess" + std::to_string(i)).c_str(), 36s);
  auto rows = db->Prepare("SELECT COUNT(*) FROM login_budgets");
  ASSERT_TRUE(rows.Step());
  EXPECT_LE(rows.Int(0), 6);
  EXPECT_TRUE(refused("victim", 36s));

  budget.RecordSuccess(*db, "victim");
  EXPECT_FALSE(refused("victim", 36s));
}

TEST(LoginBudgetTest, AddressesCountByTheSubscribersNetwork) {
  EXPECT_EQ(server::CanonicalAddress("::ffff:10.0.0.1"), "10.0.0.1");
  EXPECT_EQ(server::CanonicalAddress("2001:DB8:0:0::1"), "2001:db8::1");
  EXPECT_EQ(server::CanonicalAddress("10.0.0.1:80"), std::nullopt);
  EXPECT_EQ(server::CanonicalAddress(""), std::nullopt);
  EXPECT_EQ(server::AddressSubject("2001:db8:1:2:aaaa::1"), server::AddressSubject("2001:db8:1:2::5"));
  EXPECT_NE(server::AddressSubject("2001:db8:1:2::1"), server::AddressSubject("2001:db8:1:3::1"));
  EXPECT_NE(server::AddressSubject("10.0.0.1"), server::AddressSubject("10.0.0.2"));
}

}  // namespace
}  // namespace kestrova::test
