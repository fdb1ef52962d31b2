// Log-in guessing against a running server: the failure budgets of a login
// and of an address, and the time a wrong answer takes.
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include "database.h"
#include "support/server_fixture.h"

namespace kestrova::test {
namespace {

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;

constexpr int kWrongPassword = 1101;
constexpr int kLoginAllowance = 10;
constexpr int kAddressAllowance = 50;

std::string LoginPath(const std::string& login, const std::string& password) {
  return "/login.php?login=" + login + "&password=" + password + "&lng_id=02&affiliate_id=0&codepage=utf8";
}

// The answer and how long it took.
struct Timed {
  Answer answer;
  double ms = 0;
};

Timed TimedGet(ApiClient& api, const std::string& path, const httplib::Headers& headers = {}) {
  const auto start = Clock::now();
  Timed timed{api.Get(path, headers)};
  timed.ms = Millis(Clock::now() - start).count();
  return timed;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// A log-in from a client socket bound to another loopback address (all of
// 127/8 is loopback): a second caller as the server sees it.
std::string LoginBodyFrom(int port, const std::string& source, const Session& account,
                          const httplib::Headers& headers = {}) {
  httplib::Client client("127.0.0.1", port);
  client.set_interface(source);
  client.set_read_timeout(30, 0);
  const auto result = client.Get(LoginPath(account.login, account.password).c_str(), headers);
  return result ? result->body : "no answer";
}

bool LoggedIn(const std::string& body) { return body.find("<login ") != std::string::npos; }

TEST(LoginLimitTest, GuessingOneLoginIsRefusedUncheckedAfterItsAllowanceEvenAcrossARestart) {
  TempDir dir;
  // The real cost: the refused answers must show that no hash was made.
  const std::vector<std::string> interactive = {"--password-cost", "interactive"};
  Session victim;
  std::vector<double> checked;
  std::string wrong_text;
  {
    ServerProcess server(dir, interactive);
    ASSERT_NE(server.Port(), 0) << ReadFile(dir / "server.err");
    ApiClient api(server.Port());
    victim = api.Register();
    for (int i = 1; i < kLoginAllowance; ++i) {
      const Timed wrong = TimedGet(api, LoginPath(victim.login, "wrong" + std::to_string(i)));
      ASSERT_EQ(wrong.answer.ErrorId(), kWrongPassword) << wrong.answer.body;
      checked.push_back(wrong.ms);
      wrong_text = wrong.answer.ErrorText();
    }
    EXPECT_EQ(server.Stop(), 0);
  }
  ServerProcess server(dir, interactive);
  ASSERT_NE(server.Port(), 0) << ReadFile(dir / "server.err");
  ApiClient api(server.Port());
  // The failures before the restart still count: this one uses up the
  // allowance. The refusal runs from the attempt's arrival.
  const auto refused_from = Clock::now();
  const Timed last = TimedGet(api, LoginPath(victim.login, "wrong10"));
  EXPECT_EQ(last.answer.ErrorId(), kWrongPassword);
  checked.push_back(last.ms);

  // Refused, the right password too, with the wrong password's answer.
  const Answer right_refused = api.Get(LoginPath(victim.login, victim.password));
  EXPECT_EQ(right_refused.ErrorId(), kWrongPassword) << right_refused.body;
  EXPECT_EQ(right_refused.ErrorText(), wrong_text);
  std::vector<double> refused;
  for (int i = 0; i < 7; ++i) refused.push_back(TimedGet(api, LoginPath(victim.login, "again")).ms);
  EXPECT_LT(Median(refused) * 4, Median(checked)) << "refused answers should come without a hash";

  // Accepted once the refusal (a second) is over.
  Answer accepted;
  while (Clock::now() - refused_from < std::chrono::seconds(30)) {
    accepted = api.Get(LoginPath(victim.login, victim.password));
    if (accepted.Root("login") != nullptr) break;
    EXPECT_EQ(accepted.ErrorId(), kWrongPassword) << accepted.body;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_NE(accepted.Root("login"), nullptr) << accepted.body;
  EXPECT_GE(Clock::now() - refused_from, std::chrono::milliseconds(1000));
  // The success gave the login its allowance back.
  EXPECT_EQ(api.Get(LoginPath(victim.login, "wrong11")).ErrorId(), kWrongPassword);
  EXPECT_NE(api.Get(LoginPath(victim.login, victim.password)).Root("login"), nullptr);
}

TEST(LoginLimitTest, AnAttackFromOneAddressLeavesOtherAddressesAlone) {
  TempDir dir;
  const std::string proxy = "127.0.0.3";
  ServerProcess server(dir, {"--trusted-proxy", "192.0.2.1," + proxy});
  ASSERT_NE(server.Port(), 0) << ReadFile(dir / "server.err");
  ApiClient api(server.Port());
  const Session victim = api.Register();
  const Session own = api.Register();  // the attacker's own account
  const Session bystander = api.Register();

  // The attacker guesses from 127.0.0.1 and claims another address each
  // time; only a trusted proxy is believed. The victim gets its allowance.
  for (int i = 0; i + 1 < kAddressAllowance; ++i) {
    const std::string login = i % 5 == 0 ? victim.login : "guess" + std::to_string(i);
    const Answer wrong = api.Get(LoginPath(login, "wrong"), {{"X-Forwarded-For", "10.0.0." + std::to_string(i)}});
    ASSERT_EQ(wrong.ErrorId(), kWrongPassword) << wrong.body;
  }
  // His own account logs in, but that does not clear the address.
  EXPECT_NE(api.Get(LoginPath(own.login, own.password)).Root("login"), nullptr);
  EXPECT_EQ(api.Get(LoginPath("guess49", "wrong")).ErrorId(), kWrongPassword);
  EXPECT_EQ(api.Get(LoginPath(own.login, own.password)).ErrorId(), kWrongPassword);
  // A trusted proxy appends the address it saw: that one counts, not the
  // ones its client wrote before it.
  EXPECT_FALSE(LoggedIn(LoginBodyFrom(server.Port(), proxy, own, {{"X-Forwarded-For", "10.9.9.9, 127.0.0.1"}})));
  EXPECT_TRUE(LoggedIn(LoginBodyFrom(server.Port(), proxy, own, {{"X-Forwarded-For", "127.0.0.1, 10.9.9.9"}})));

  // While the attack goes on, another subscriber logs in from elsewhere.
  std::atomic<bool> stop{false};
  std::atomic<int> other_answers{0};
  std::vector<std::thread> attackers;
  for (int t = 0; t < 3; ++t) {
    attackers.emplace_back([&, t] {
      ApiClient attacker(server.Port());
      for (int i = 0; !stop; ++i) {
        const std::string login = i % 2 == 0 ? victim.login : "more" + std::to_string(t) + "x" + std::to_string(i);
        if (attacker.Get(LoginPath(login, "wrong")).ErrorId() != kWrongPassword) ++other_answers;
      }
    });
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const auto start = Clock::now();
  const std::string body = LoginBodyFrom(server.Port(), "127.0.0.2", bystander);
  const auto took = Clock::now() - start;
  stop = true;
  for (auto& attacker : attackers) attacker.join();
  EXPECT_TRUE(LoggedIn(body)) << body;
  EXPECT_LT(took, std::chrono::seconds(1));
  EXPECT_EQ(other_answers, 0);
}

// How far apart two answer times are, as a share of the longer.
double Apart(double a, double b) { return std::abs(a - b) / std::max(a, b); }

TEST(LoginLimitTest, AnUnknownLoginTakesAsLongAsAWrongPassword) {
  constexpr int kRounds = 3;
  constexpr int kTries = 7;
  constexpr double kAllowedGap = 0.2;
  TempDir dir;
  { ServerProcess create_the_database(dir); }
  {
    // Accounts of the first versions (salted SHA-256, password "pass1234")
    // answer a wrong password in the same time too.
    server::Database db((dir / "server.db").string());
    for (int round = 0; round < kRounds; ++round) {
      auto insert = db.Prepare(
          "INSERT INTO accounts (login, salt, password_hash, nick, created) VALUES (?, '00112233445566ff', "
          "'ddfdf5bfbcbfccf53cdd8a88320965ae483a450bd4703a51bbc98a6078d02a3b', 'oldtimer', 0)");
      insert.Bind(1, "oldtimer" + std::to_string(round)).Run();
    }
  }
  // The real cost, and every try from its own address through a trusted
  // proxy, so that no address budget refuses any of them.
  ServerProcess server(dir, {"--password-cost", "interactive", "--trusted-proxy", "127.0.0.1"});
  ASSERT_NE(server.Port(), 0) << ReadFile(dir / "server.err");
  ApiClient api(server.Port());
  const Session known = api.Register();

  // Taken in turns, so that a busy moment of the machine falls on all three
  // alike, and compared by their medians; a busy stretch can still skew one
  // round, a real difference skews every one.
  std::string rounds;
  bool equal = false;
  for (int round = 0; round < kRounds && !equal; ++round) {
    std::array<std::vector<double>, 3> ms;  // known, unknown, old hash
    for (int i = 0; i < kTries; ++i) {
      const std::string tag = std::to_string(round) + "." + std::to_string(i);
      const std::array<std::string, 3> logins = {known.login, "nobody" + tag, "oldtimer" + std::to_string(round)};
      for (std::size_t kind = 0; kind < logins.size(); ++kind) {
        const Timed wrong = TimedGet(api, LoginPath(logins[kind], "wrong" + std::to_string(i)),
                                     {{"X-Forwarded-For", "10." + std::to_string(kind) + "." + tag}});
        ASSERT_EQ(wrong.answer.ErrorId(), kWrongPassword) << wrong.answer.body;
        ms[kind].push_back(wrong.ms);
      }
    }
    const double unknown = Median(ms[1]);
    equal = Apart(Median(ms[0]), unknown) < kAllowedGap && Apart(Median(ms[2]), unknown) < kAllowedGap;
    rounds += " known " + std::to_string(Median(ms[0])) + " ms, unknown " + std::to_string(unknown) +
              " ms, old hash " + std::to_string(Median(ms[2])) + " ms;";
    api.Login(known.login, known.password);  // the next round starts with a fresh allowance
  }
  EXPECT_TRUE(equal) << rounds;
  // The old accounts still log in.
  EXPECT_NE(api.Get(LoginPath("oldtimer0", "pass1234")).Root("login"), nullptr);
}

}  // namespace
}  // namespace kestrova::test
