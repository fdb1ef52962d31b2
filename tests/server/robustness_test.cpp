// Bad requests, concurrent clients, the request log, persistence across
// restarts, start-up failures, and the request rate on loopback.
#include <atomic>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <thread>

#include "request_log.h"
#include "support/server_fixture.h"

namespace kestrova::test {
namespace {

namespace fs = std::filesystem;
using RobustnessTest = ServerTest;

const std::vector<std::string> kScripts = {
    "login",   "new_user", "countries",   "operators", "zones",       "version",      "setup",
    "update_lng_set", "catchan", "blocks", "block", "videos", "video", "add_favorite", "messenger",
    "help_themes", "help_texts", "shortnumbers", "bill", "subscribe_channel", "buy_info", "feedback", "gifts",
    "sms_sent"};

TEST_F(RobustnessTest, BadRequestsGetAnErrorElementOr404) {
  const Session s = api_->Register();
  for (const auto& script : kScripts) {
    // No keys at all; a valid session with every other key missing; ids that are no numbers.
    for (const std::string& query :
         {std::string(), s.Query(),
          s.Query() + "&id=abc&folder_id=abc&block_id=abc&video_id=&item_id=1e3&theme_id=0x10&channel_id=-"
                      "&provider_id=99999999999&page=abc&favorite=abc&status=x&date=abc&type=&code=&version=abc",
          "user_id=abc&key=" + s.key}) {
      const Answer answer = api_->Get("/" + script + ".php?" + query);
      ASSERT_EQ(answer.status, 200) << script << "?" << query;
      ASSERT_TRUE(answer.doc) << script << ": " << answer.body;
      // new_user needs nothing; everything else refuses incomplete requests.
      if (script != "new_user" && query.empty()) {
        EXPECT_NE(answer.ErrorId(), 0) << script;
      }
    }
  }
  EXPECT_EQ(api_->Get("/nothing.php?" + s.Query()).status, 404);
  EXPECT_EQ(api_->Get("/login.php.bak").status, 404);
  EXPECT_EQ(api_->Get("/../etc/passwd").status, 404);
  EXPECT_EQ(api_->Get("/logos/../server.db").status, 404);
  EXPECT_EQ(api_->Get("/blank.php").status, 200);

  // Hostile values come back inert: escaped, never markup.
  const Answer odd = api_->Get("/login.php?login=%3Cx%3E%26%22%27%C3%28&password=%00%01&lng_id=02");
  EXPECT_EQ(odd.ErrorId(), 1101);
  // A value echoed in an error text stays text: markup escaped, broken UTF-8 replaced.
  const Answer echoed = api_->Get("/operators.php?" + s.Query() + "&country_code=%3Cb%3E%26%22%C3%28");
  ASSERT_TRUE(echoed.doc) << echoed.body;
  EXPECT_EQ(echoed.ErrorText(), "Nothing found for country_code=<b>&\"\xEF\xBF\xBD(");
  const Answer long_value = api_->Get("/operators.php?" + s.Query() + "&country_code=" + std::string(6000, 'A'));
  EXPECT_EQ(long_value.ErrorId(), 1201);
  EXPECT_EQ(api_->Get("/operators.php?" + s.Query() + "&country_code=" + std::string(20000, 'A')).status, 414);
  EXPECT_EQ(api_->Balance(s), 0);  // and the server still serves
}

TEST_F(RobustnessTest, ConcurrentClientsAllGetWholeAnswers) {
  const Session s = api_->Register();
  api_->Get("/gifts.php?code=CINEMA100&" + s.Query());
  std::atomic<int> bad{0};
  std::vector<std::thread> clients;
  for (int t = 0; t < 8; ++t) {
    clients.emplace_back([&, t] {
      ApiClient client(server_->Port());
      for (int i = 0; i < 40; ++i) {
        const int video = 1001 + (t * 40 + i) % 25;
        const Answer a = client.Get("/add_favorite.php?item_id=" + std::to_string(video) + "&" + s.Query() +
                                    "&favorite=" + std::to_string(i % 2) + "&type=vid");
        const Answer b = client.Get("/catchan.php?" + s.Query() + "&folder_id=" + std::to_string(i % 7));
        const Answer c = client.Get("/buy_info.php?" + s.Query() + "&video_id=" + std::to_string(video) + "&type=pl");
        if (!a.Root("add_favorite") || !b.Root("channels") || !(c.Root("buy_info") || c.ErrorId() == 1301)) ++bad;
      }
    });
  }
  for (auto& c : clients) c.join();
  EXPECT_EQ(bad.load(), 0);
  // 100 credits buy at most 33 plays at 3: every video was charged once at most.
  const int balance = api_->Balance(s);
  EXPECT_GE(balance, 100 - 25 * 3);
  EXPECT_EQ((100 - balance) % 3, 0);
}

// Request lines are recorded as sent, secret values masked, in memory and
// in the file; only this machine's own unforwarded requests read them, and
// only when the operator turned the read-out on.
TEST(RequestLogTest, SecretsAreMaskedAndOnlyThisMachineReadsTheLog) {
  TempDir dir;
  const fs::path log_file = dir / "requests.log";
  ServerProcess server(dir, {"--request-log", log_file.string()});
  ASSERT_NE(server.Port(), 0) << ReadFile(dir / "server.err");
  ApiClient api(server.Port());
  const Session s = api.Register();
  api.Raw("/_log/requests?clear=1");
  Session masked = s;
  masked.key = "*";
  const std::string report = "/sms_sent.php?&" + masked.Query() + "&lng_id=2&codepage=utf8&client=wm&dist_number=1"
                             "&short_number=1234&status=1&text=TV%20user1&exception=null&friend_id=0&agregator_id=0&000";
  api.Get("/login.php?login=" + s.login + "&password=" + s.password + "&lng_id=02&957");
  api.Get("/sms_sent.php?&" + s.Query() + report.substr(report.find("&lng_id")));
  api.Get("/gifts.php?code=SPRING25&" + s.Query());
  api.Raw("/stream/cc.cgi?user_id=" + std::to_string(s.user_id) + "&user_key=" + s.key + "&query_type=setup");
  // Other spellings of the same keys, as the request parser reads them.
  api.Get("/bill.php?%6Bey=" + s.key + "&=password=" + s.password + "&PassWord=x&pass%77ord=y&%u0063ode=z&keys=kept");
  api.Raw("/previews/1001/3.jpg");
  const std::string expected = "/login.php?login=" + s.login + "&password=*&lng_id=02&957\n" + report + "\n" +
                               "/gifts.php?code=*&" + masked.Query() + "\n" + "/stream/cc.cgi?user_id=" +
                               std::to_string(s.user_id) + "&user_key=*&query_type=setup\n" +
                               "/bill.php?%6Bey=*&=password=*&PassWord=*&pass%77ord=*&%u0063ode=*&keys=kept\n"
                               "/previews/1001/3.jpg\n";
  const auto log = api.Raw("/_log/requests");
  ASSERT_TRUE(log);
  EXPECT_EQ(log->body, expected);
  const std::string file = ReadFile(log_file);
  EXPECT_TRUE(file.ends_with(expected)) << file;
  for (const std::string& secret : {s.password, s.key, std::string("SPRING25")}) {
    EXPECT_EQ(file.find(secret), std::string::npos) << secret;
  }

  // A reverse proxy on this machine connects from loopback too.
  for (const char* header : {"X-Forwarded-For", "X-Real-IP", "Forwarded", "x-forwarded-proto"}) {
    EXPECT_EQ(api.Get("/_log/requests?clear=1", {{header, "for=203.0.113.7"}}).status, 404) << header;
  }
  EXPECT_EQ(api.Raw("/_log/requests")->body, expected);

  TempDir off_dir;
  ServerProcess off(off_dir, {}, {}, false);  // the read-out as an operator gets it
  ASSERT_NE(off.Port(), 0);
  ApiClient off_api(off.Port());
  EXPECT_EQ(off_api.Get("/_log/requests").status, 404);
  EXPECT_EQ(off_api.Get("/_log/requests?clear=1").status, 404);
}

TEST(ServerLifeTest, StatePersistsAcrossRestartsAndTheLogFileKeepsEveryLine) {
  TempDir dir;
  const fs::path log_file = dir / "requests.log";
  Session s;
  {
    ServerProcess server(dir, {"--request-log", log_file.string()});
    ASSERT_NE(server.Port(), 0) << ReadFile(dir / "server.err");
    {
      ApiClient api(server.Port());
      s = api.Register();
      api.Get("/gifts.php?code=SPRING25&" + s.Query());
      api.Get("/add_favorite.php?item_id=1020&" + s.Query() + "&favorite=1&type=vid");
    }
    EXPECT_EQ(server.Stop(), 0) << ReadFile(dir / "server.err");
  }
  ServerProcess server(dir, {"--request-log", log_file.string()});
  ASSERT_NE(server.Port(), 0);
  {
    ApiClient api(server.Port());
    const Session again = api.Login(s.login, s.password);
    EXPECT_EQ(again.user_id, s.user_id);
    EXPECT_EQ(api.Balance(s), 25);  // the old session key still holds
    const Answer favourites = api.Get("/videos.php?" + again.Query() + "&folder_id=-1&page=1&onpage=10");
    EXPECT_EQ(IntAttr(favourites.Root("videos")->FirstChildElement("element"), "id"), 1020);
  }
  EXPECT_EQ(server.Stop(), 0);
  const std::string lines = ReadFile(log_file);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 7);  // 4 before the restart, 3 after
  EXPECT_EQ(lines.rfind("/new_user.php?", 0), 0u);
  EXPECT_EQ(fs::status(log_file).permissions() & fs::perms::group_all, fs::perms::none);
}

TEST(ServerLifeTest, StartupFailuresEndWithAMessage) {
  TempDir dir;
  std::string error;
  EXPECT_EQ(RunServerExpectingExit({"--port", "0", "--data", (dir / "missing").string(), "--db",
                                    (dir / "db").string(), "--sms-spool", "none"},
                                   &error),
            2);
  EXPECT_NE(error.find("regions.xml"), std::string::npos) << error;

  dir.Write("content/regions.xml", "<regions><country code=\"RU\"></country></regions>");
  EXPECT_EQ(RunServerExpectingExit({"--port", "0", "--data", (dir / "content").string(), "--db",
                                    (dir / "db").string(), "--sms-spool", "none"},
                                   &error),
            2);
  EXPECT_NE(error.find("name"), std::string::npos) << error;

  EXPECT_EQ(RunServerExpectingExit({"--port", "99999"}, &error), 2);
  EXPECT_EQ(RunServerExpectingExit({"--version-policy", "sometimes"}, &error), 2);
  EXPECT_EQ(RunServerExpectingExit({"--request-log-endpoint", "yes"}, &error), 2);
  EXPECT_EQ(RunServerExpectingExit({"--bogus"}, &error), 2);
  EXPECT_EQ(RunServerExpectingExit({"--trusted-proxy", "127.0.0.1,proxy.example"}, &error), 2);
  EXPECT_NE(error.find("bad trusted proxy"), std::string::npos) << error;
  EXPECT_EQ(RunServerExpectingExit({"--help"}, &error), 0);

  // A port that is taken.
  TempDir busy_dir;
  ServerProcess busy(busy_dir);
  ASSERT_NE(busy.Port(), 0);
  EXPECT_EQ(RunServerExpectingExit({"--port", std::to_string(busy.Port()), "--data",
                                    std::string(KESTROVA_SOURCE_DATA_DIR) + "/server", "--db", (dir / "db").string(),
                                    "--sms-spool", "none"},
                                   &error),
            1);
  EXPECT_NE(error.find("cannot listen"), std::string::npos) << error;
}

TEST_F(RobustnessTest, RequestRateOnLoopback) {
  const Session s = api_->Register();
  constexpr int kRequests = 2000;
  const std::string path = "/catchan.php?user_id=" + std::to_string(s.user_id) + "&folder_id=1&affiliate_id=0&key=" +
                           s.key + "&lng_id=02&codepage=utf8&friend_id=0&agregator_id=0&957";
  const auto start = std::chrono::steady_clock::now();
  int ok = 0;
  for (int i = 0; i < kRequests; ++i) ok += api_->Get(path).Root("channels") != nullptr ? 1 : 0;
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(ok, kRequests);
  const double rate = kRequests / seconds;
  std::cout << "catchan: " << kRequests << " requests in " << seconds << " s, " << static_cast<int>(rate)
            << " requests per second (one keep-alive client)\n";
  EXPECT_GT(rate, 50.0);  // even a sanitizer build manages this; far less means something is wrong
}

}  // namespace
}  // namespace kestrova::test

namespace kestrova::server {
namespace {

// Long request targets cannot grow the request log without bound.
TEST(RequestLogMemory, LongTargetsAreCutAndTheLogIsBoundedByBytes) {
  RequestLog log;
  const std::string longTarget = "/x?" + std::string(100000, 'a');
  log.Record(longTarget);
  auto kept = log.Snapshot(false);
  ASSERT_EQ(kept.size(), 1U);
  EXPECT_EQ(kept[0].size(), RequestLog::kTargetLimit);
  EXPECT_EQ(kept[0], longTarget.substr(0, RequestLog::kTargetLimit));
  for (int i = 0; i < 10000; ++i) log.Record(longTarget);
  EXPECT_LE(log.MemoryBytes(), RequestLog::kMemoryBytes);
  log.Record("/last");
  kept = log.Snapshot(true);
  EXPECT_EQ(kept.back(), "/last");
  EXPECT_EQ(log.MemoryBytes(), 0U);
}

}  // namespace
}  // namespace kestrova::server
