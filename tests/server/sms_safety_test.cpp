// Payment SMS when the server dies part-way, and the pairing of package SMS
// with reports when several accounts report the same number and text.
#include <signal.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "database.h"
#include "support/scoped_environment.h"
#include "support/server_fixture.h"

namespace kestrova::test {
namespace {

namespace fs = std::filesystem;
using server::Database;

void WriteSms(const TempDir& dir, const std::string& folder, const std::string& name, const std::string& content) {
  const fs::path aside = dir.Write("sms/." + name + ".part", content);
  fs::create_directories(dir / "sms" / folder);
  fs::rename(aside, dir / "sms" / folder / name);
}

int FilesIn(const TempDir& dir, const char* folder) {
  std::error_code ec;
  const fs::directory_iterator files(dir / "sms" / folder, ec);
  return ec ? 0 : static_cast<int>(std::distance(fs::begin(files), fs::end(files)));
}

std::string Report(ApiClient& api, const Session& s, const std::string& text) {
  const Answer answer = api.Get("/sms_sent.php?&" + s.Query() + "&lng_id=2&codepage=utf8&client=wm&dist_number=1"
                                "&short_number=7733&status=1&text=" + text + "&exception=null");
  return answer.Root("sms_sent") != nullptr ? "ok" : answer.body;
}

int PackageFree(ApiClient& api, const Session& s) {
  return IntAttr(api.Get("/catchan.php?" + s.Query() + "&folder_id=6&lng_id=02").Root("channels"), "free");
}

TEST(SmsCrashTest, EverySmsIsPaidExactlyOnceWhereverTheServerDies) {
  for (const char* step : {"sms-before-commit", "sms-committed", "sms-moved"}) {
    SCOPED_TRACE(step);
    TempDir dir;
    Session s;
    {
      ServerProcess server(dir);
      ASSERT_NE(server.Port(), 0) << ReadFile(dir / "server.err");
      ApiClient api(server.Port());
      s = api.Register();
    }
    // Two purchases of the same credit: same number, same text.
    WriteSms(dir, "outgoing", "kestrova-1", "To: 4161\n\nKTV " + s.login + "\n");
    WriteSms(dir, "outgoing", "kestrova-2", "To: 4161\n\nKTV " + s.login + "\n");
    {
      const ScopedEnvironment fault("KESTROVA_SERVER_FAULT", step);
      ServerProcess server(dir);  // dies in its start-up scan, at the first file
      EXPECT_EQ(server.Port(), 0);
      EXPECT_EQ(server.Stop(), 128 + SIGKILL) << ReadFile(dir / "server.err");
    }
    ServerProcess server(dir);
    ASSERT_NE(server.Port(), 0) << ReadFile(dir / "server.err");
    ApiClient api(server.Port());
    EXPECT_EQ(api.Balance(s), 2 * 30);
    EXPECT_EQ(FilesIn(dir, "outgoing"), 0);
    EXPECT_EQ(FilesIn(dir, "sent"), 2);
  }
}

TEST(SmsCrashTest, FilesAnEarlierVersionMovedWithoutPayingArePaid) {
  TempDir dir;
  Session s;
  {
    ServerProcess server(dir);
    ASSERT_NE(server.Port(), 0);
    ApiClient api(server.Port());
    s = api.Register();
  }
  // Earlier versions moved a file to sent/ first and then paid it, recording
  // its name: "old-paid" was paid, "old-lost" was not (the server died).
  const std::string text = "KTV " + s.login;
  WriteSms(dir, "sent", "old-paid", "To: 4161\n\n" + text + "\n");
  WriteSms(dir, "sent", "old-lost", "To: 4161\n\n" + text + "\n");
  {
    Database db((dir / "server.db").string());
    auto insert = db.Prepare(
        "INSERT INTO sms_received (short_number, text, file, received, user_id) VALUES ('4161', ?, 'old-paid', 0, ?)");
    insert.Bind(1, text).Bind(2, s.user_id).Run();
  }
  ServerProcess server(dir);
  ASSERT_NE(server.Port(), 0);
  ApiClient api(server.Port());
  EXPECT_EQ(api.Balance(s), 30);
  EXPECT_EQ(FilesIn(dir, "sent"), 2);
  EXPECT_EQ(FilesIn(dir, "outgoing"), 0);
}

TEST(SmsPairingTest, TheReportFiledLastBeforeTheSmsPaysAndAccountsCannotHoardReports) {
  TempDir dir;
  ServerProcess server(dir);
  ASSERT_NE(server.Port(), 0);
  ApiClient api(server.Port());
  const Session squatter = api.Register();
  const Session buyer = api.Register();
  // A report filed long before the SMS, by an account that sends none...
  EXPECT_EQ(Report(api, squatter, "KINO"), "ok");
  // ...loses to the buyer's, filed just before the SMS is read.
  EXPECT_EQ(Report(api, buyer, "KINO"), "ok");
  WriteSms(dir, "outgoing", "pkg-1", "To: 7733\n\nKINO\n");
  api.Balance(buyer);  // reads the spool
  EXPECT_EQ(PackageFree(api, buyer), 1);
  EXPECT_EQ(PackageFree(api, squatter), 0);

  // However many reports an account files, only its newest few wait for an SMS.
  for (int i = 0; i < 6; ++i) EXPECT_EQ(Report(api, squatter, "KINO"), "ok");
  Database db((dir / "server.db").string());
  auto open = db.Prepare("SELECT COUNT(*) FROM sms_reports WHERE user_id = ? AND matched = 0");
  open.Bind(1, squatter.user_id);
  ASSERT_TRUE(open.Step());
  EXPECT_EQ(open.Int(0), 3);
}

TEST(SmsPairingTest, ReportsExpireButTheSmsWaitsForAFreshOne) {
  TempDir dir;
  ServerProcess server(dir, {"--sms-report-minutes", "0.05"});  // three seconds
  ASSERT_NE(server.Port(), 0) << ReadFile(dir / "server.err");
  ApiClient api(server.Port());
  const Session stale = api.Register();
  const Session fresh = api.Register();
  EXPECT_EQ(Report(api, stale, "KINO"), "ok");
  std::this_thread::sleep_for(std::chrono::seconds(4));
  WriteSms(dir, "outgoing", "pkg-1", "To: 7733\n\nKINO\n");
  api.Balance(fresh);
  EXPECT_EQ(PackageFree(api, stale), 0);
  EXPECT_EQ(Report(api, fresh, "KINO"), "ok");
  EXPECT_EQ(PackageFree(api, fresh), 1);
}

}  // namespace
}  // namespace kestrova::test
