// Log-in guessing against a running server: the time a wrong answer takes.
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>

#include "database.h"
#include "support/server_fixture.h"

namespace kestrova::test {
namespace {

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;

constexpr int kWrongPassword = 1101;

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
  // The real cost.
  ServerProcess server(dir, {"--password-cost", "interactive"});
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
        const Timed wrong = TimedGet(api, LoginPath(logins[kind], "wrong" + std::to_string(i)));
        ASSERT_EQ(wrong.answer.ErrorId(), kWrongPassword) << wrong.answer.body;
        ms[kind].push_back(wrong.ms);
      }
    }
    const double unknown = Median(ms[1]);
    equal = Apart(Median(ms[0]), unknown) < kAllowedGap && Apart(Median(ms[2]), unknown) < kAllowedGap;
    rounds += " known " + std::to_string(Median(ms[0])) + " ms, unknown " + std::to_string(unknown) +
              " ms, old hash " + std::to_string(Median(ms[2])) + " ms;";
  }
  EXPECT_TRUE(equal) << rounds;
  // The old accounts still log in.
  EXPECT_NE(api.Get(LoginPath("oldtimer0", "pass1234")).Root("login"), nullptr);
}

}  // namespace
}  // namespace kestrova::test
