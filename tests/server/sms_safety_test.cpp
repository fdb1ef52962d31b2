// Payment SMS when the server dies part-way, when its database and spool are
// restored from a backup or come from an earlier version, when a file is
// written slowly or cannot be read, and when several accounts report the same
// package number and text.
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>

#include "database.h"
#include "platform/sms.h"
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

// Sends an SMS the way the client does.
void SendSms(const TempDir& dir, const wchar_t* number, const std::string& text) {
  ASSERT_TRUE(platform::SendSmsMessage(dir / "sms" / "outgoing", number, std::wstring(text.begin(), text.end())));
}

// Runs a shell command; its output, or "failed: <command>".
std::string Shell(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  if (!pipe) return "failed: " + command;
  std::string output;
  char block[256];
  while (const std::size_t got = std::fread(block, 1, sizeof block, pipe.get())) output.append(block, got);
  return ::pclose(pipe.release()) == 0 ? output : "failed: " + command;
}

// An account made by a server in the folder, stopped since.
Session AccountOfAStoppedServer(const TempDir& dir) {
  ServerProcess server(dir);
  EXPECT_NE(server.Port(), 0) << ReadFile(dir / "server.err");
  ApiClient api(server.Port());
  return api.Register();
}

std::int64_t Count(Database& db, const std::string& sql) {
  auto query = db.Prepare(sql);
  return query.Step() ? query.Int(0) : -1;
}

TEST(SmsCrashTest, EverySmsIsPaidExactlyOnceWhereverTheServerDies) {
  for (const char* step : {"sms-before-commit", "sms-committed", "sms-moved"}) {
    SCOPED_TRACE(step);
    TempDir dir;
    const Session s = AccountOfAStoppedServer(dir);
    // Two purchases of the same credit: same number, same text, written
    // while no server ran (a minute ago, so complete when it starts).
    for (const char* name : {"kestrova-1", "kestrova-2"}) {
      WriteSms(dir, "outgoing", name, "To: 4161\n\nKTV " + s.login + "\n");
      fs::last_write_time(dir / "sms" / "outgoing" / name, fs::file_time_type::clock::now() - std::chrono::minutes(1));
    }
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
  const Session s = AccountOfAStoppedServer(dir);
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

// The guide's steps: the database backed up online with the sqlite3 command,
// then the spool's folders copied with cp -a; to restore, the server stopped,
// both put back, the server started.
TEST(SmsRestoreTest, RestoringTheGuidesBackupPaysEverySmsOnce) {
  TempDir dir;
  const std::string db = (dir / "server.db").string();
  const std::string backup = (dir / "backup.db").string();
  const std::string sms = (dir / "sms").string();
  const std::string sms_backup = (dir / "sms-backup").string();
  Session payer;
  std::vector<Session> buyers(3);
  {
    ServerProcess server(dir);
    ASSERT_NE(server.Port(), 0) << ReadFile(dir / "server.err");
    ApiClient api(server.Port());
    payer = api.Register();
    for (Session& buyer : buyers) buyer = api.Register();
    for (int i = 0; i < 3; ++i) SendSms(dir, L"4161", "KTV " + payer.login);
    for (const Session& buyer : buyers) {
      SendSms(dir, L"7733", "KINO");
      EXPECT_EQ(Report(api, buyer, "KINO"), "ok");
    }
    EXPECT_EQ(api.Balance(payer), 3 * 30);
    ASSERT_EQ(Shell("sqlite3 '" + db + "' \".backup '" + backup + "'\""), "");
    // Paid after the database's backup, before the spool's copy.
    for (int i = 0; i < 2; ++i) SendSms(dir, L"4161", "KTV " + payer.login);
    EXPECT_EQ(api.Balance(payer), 5 * 30);
    ASSERT_EQ(Shell("cp -a '" + sms + "' '" + sms_backup + "'"), "");
    EXPECT_EQ(server.Stop(), 0) << ReadFile(dir / "server.err");
  }
  ASSERT_EQ(Shell("sqlite3 '" + db + "' \".restore '" + backup + "'\""), "");
  ASSERT_EQ(Shell("rm -rf '" + sms + "' && cp -a '" + sms_backup + "' '" + sms + "'"), "");

  ServerProcess server(dir);
  ASSERT_NE(server.Port(), 0) << ReadFile(dir / "server.err");
  ApiClient api(server.Port());
  // The backup's three credits stand; the two after it are paid again, once.
  EXPECT_EQ(api.Balance(payer), 5 * 30);
  for (const Session& buyer : buyers) EXPECT_EQ(PackageFree(api, buyer), 1);
  // No package SMS from before the backup is there for a newcomer to take.
  const Session newcomer = api.Register();
  EXPECT_EQ(Report(api, newcomer, "KINO"), "ok");
  EXPECT_EQ(PackageFree(api, newcomer), 0);
  EXPECT_EQ(FilesIn(dir, "outgoing"), 0);
  EXPECT_EQ(FilesIn(dir, "sent"), 8);
  EXPECT_EQ(FilesIn(dir, "failed"), 0);
  Database records(db);
  EXPECT_EQ(Count(records, "SELECT COUNT(*) FROM sms_received"), 8);
  EXPECT_EQ(Count(records, "SELECT COUNT(*) FROM sms_received WHERE user_id IS NULL"), 0);
  EXPECT_EQ(Shell("sqlite3 '" + db + "' 'PRAGMA integrity_check'"), "ok\n");
}

// Databases of earlier versions keyed a message by its file's inode, which a
// copy changes; they are rekeyed once at start-up.
TEST(SmsRestoreTest, AnUpgradedDatabaseStillKnowsTheCopiesOfWhatItPaid) {
  TempDir dir;
  const Session s = AccountOfAStoppedServer(dir);
  const std::string content = "To: 4161\n\nKTV " + s.login + "\n";
  {
    Database db((dir / "server.db").string());
    db.Execute(
        "DROP INDEX sms_received_waiting; DROP INDEX sms_reports_filed; DROP INDEX sms_reports_waiting;"
        "ALTER TABLE sms_received DROP COLUMN sent_ms; ALTER TABLE sms_reports DROP COLUMN reported_ms;"
        "PRAGMA user_version = 2");
    // Paid by the earlier version; the second was renamed in sent/, where
    // its name was taken.
    for (const auto& [file, sent_name] : {std::pair{"kestrova-1700000000000-Ab12Cd", "kestrova-1700000000000-Ab12Cd"},
                                          std::pair{"gateway-7", "gateway-7.1"}}) {
      WriteSms(dir, "sent", sent_name, content);
      const fs::path path = dir / "sms" / "sent" / sent_name;
      struct stat info {};
      ASSERT_EQ(::stat(path.c_str(), &info), 0);
      const std::string hash = Shell("sha256sum '" + path.string() + "'").substr(0, 64);
      const std::string old_key = std::to_string(info.st_ino) + "-" + std::to_string(info.st_mtim.tv_sec) + "." +
                                  std::to_string(info.st_mtim.tv_nsec) + "-" + std::to_string(info.st_size) + "-" + hash;
      auto insert = db.Prepare(
          "INSERT INTO sms_received (short_number, text, file, received, user_id, file_key) VALUES ('4161', ?, ?, 0, ?, ?)");
      insert.Bind(1, "KTV " + s.login).Bind(2, file).Bind(3, s.user_id).Bind(4, old_key).Run();
      // Copied back as a restore does: another inode, the same times.
      ASSERT_EQ(Shell("cp -a '" + path.string() + "' '" + path.string() + ".copy' && mv '" + path.string() + ".copy' '" +
                      path.string() + "'"),
                "");
    }
  }
  // Moved to sent/ by an earlier version that died before paying it.
  WriteSms(dir, "sent", "gateway-8", "To: 4443\n\nKTV " + s.login + "\n");
  ServerProcess server(dir);
  ASSERT_NE(server.Port(), 0) << ReadFile(dir / "server.err");
  ApiClient api(server.Port());
  EXPECT_EQ(api.Balance(s), 100);
  Database db((dir / "server.db").string());
  EXPECT_EQ(Count(db, "PRAGMA user_version"), 3);
  EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM sms_received WHERE sent_ms IS NOT NULL"), 3);
}

// A file is read once it is whole: renamed into the spool, or unchanged for
// a while. One that cannot be read waits in the spool.
TEST(SmsSpoolReadingTest, SlowAndUnreadableFilesAreWaitedForAndPaidOnce) {
  TempDir dir;
  // Root reads any file whatever its mode: the server runs without that power.
  std::vector<std::string> launcher;
  if (::geteuid() == 0) launcher = {"/usr/bin/setpriv", "--bounding-set=-dac_override,-dac_read_search"};
  ServerProcess server(dir, {}, launcher);
  ASSERT_NE(server.Port(), 0) << ReadFile(dir / "server.err");
  ApiClient api(server.Port());
  const Session s = api.Register();
  const fs::path spool = dir / "sms" / "outgoing";

  const fs::path aside = dir.Write("sms/.locked", "To: 4161\n\nKTV " + s.login + "\n");
  fs::permissions(aside, fs::perms::none);
  fs::rename(aside, spool / "locked");

  // Written in place with pauses, each shorter than the time a file must
  // stay unchanged; the background scan looks at it meanwhile.
  {
    std::unique_ptr<FILE, int (*)(FILE*)> slow(std::fopen((spool / "slow").c_str(), "w"), std::fclose);
    ASSERT_TRUE(slow);
    for (const std::string& part : {std::string("To: 4161\n"), std::string("\n"), "KTV " + s.login, std::string("\n")}) {
      std::fputs(part.c_str(), slow.get());
      std::fflush(slow.get());
      std::this_thread::sleep_for(std::chrono::milliseconds(800));
    }
  }
  int balance = 0;
  for (int i = 0; i < 100 && balance == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    balance = api.Balance(s);
  }
  EXPECT_EQ(balance, 30);
  EXPECT_TRUE(fs::exists(dir / "sms" / "sent" / "slow"));
  EXPECT_TRUE(fs::exists(spool / "locked"));
  EXPECT_EQ(FilesIn(dir, "failed"), 0);
  // Said once, with the reason, though tried at every scan.
  const std::string errors = ReadFile(dir / "server.err");
  const auto said = errors.find("cannot read SMS \"locked\": Permission denied");
  EXPECT_NE(said, std::string::npos) << errors;
  EXPECT_EQ(errors.find("cannot read SMS", said + 1), std::string::npos) << errors;

  fs::permissions(spool / "locked", fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(api.Balance(s), 60);
  EXPECT_EQ(FilesIn(dir, "outgoing"), 0);
  EXPECT_EQ(FilesIn(dir, "failed"), 0);
}

// One account reports the package every 50 ms, hoping to land a report
// between someone's SMS and their report; twenty subscribers buy the package
// three times each, reporting a moment after each SMS, as the client does.
TEST(SmsPairingTest, AnAccountFloodingReportsTakesAtMostItsBudget) {
  TempDir dir;
  ServerProcess server(dir);
  ASSERT_NE(server.Port(), 0) << ReadFile(dir / "server.err");
  ApiClient api(server.Port());
  const Session thief = api.Register();
  std::vector<Session> subscribers(20);
  for (Session& subscriber : subscribers) subscriber = api.Register();

  std::atomic<bool> buying{true};
  std::thread flood([&] {
    ApiClient own(server.Port());
    while (buying) {
      EXPECT_EQ(Report(own, thief, "KINO"), "ok");  // refused reports are answered as any other
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  });
  std::vector<std::thread> buyers;
  for (const Session& subscriber : subscribers) {
    buyers.emplace_back([&dir, &server, subscriber] {
      ApiClient own(server.Port());
      for (int i = 0; i < 3; ++i) {
        SendSms(dir, L"7733", "KINO");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(Report(own, subscriber, "KINO"), "ok");
      }
    });
  }
  for (auto& buyer : buyers) buyer.join();
  buying = false;
  flood.join();
  api.Balance(thief);  // reads the spool

  Database db((dir / "server.db").string());
  const std::string thief_id = std::to_string(thief.user_id);
  const std::int64_t taken = Count(db, "SELECT COUNT(*) FROM sms_received WHERE user_id = " + thief_id);
  EXPECT_LE(taken, 3);
  EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM sms_received WHERE user_id <> " + thief_id), 60 - taken);
  EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM sms_received"), 60);
  // The refused reports were not stored, and were logged once.
  EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM sms_reports WHERE user_id = " + thief_id), 3);
  const std::string errors = ReadFile(dir / "server.err");
  const std::string refusal = "account " + thief_id + " filed 3 package SMS reports";
  const auto said = errors.find(refusal);
  EXPECT_NE(said, std::string::npos) << errors;
  EXPECT_EQ(errors.find(refusal, said + 1), std::string::npos) << errors;
}

TEST(SmsPairingTest, AReportPaysOnlyAnSmsSentBeforeItWithinTheWindow) {
  TempDir dir;
  ServerProcess server(dir, {"--sms-report-minutes", "0.05"});  // three seconds
  ASSERT_NE(server.Port(), 0) << ReadFile(dir / "server.err");
  ApiClient api(server.Port());
  const Session early = api.Register();
  const Session late = api.Register();
  const Session prompt = api.Register();
  // Reported before anything was sent.
  EXPECT_EQ(Report(api, early, "KINO"), "ok");
  SendSms(dir, L"7733", "KINO");
  api.Balance(prompt);  // reads the spool
  EXPECT_EQ(PackageFree(api, early), 0);
  // Reported after the window.
  std::this_thread::sleep_for(std::chrono::milliseconds(3500));
  EXPECT_EQ(Report(api, late, "KINO"), "ok");
  EXPECT_EQ(PackageFree(api, late), 0);
  // Sent, then reported within the window.
  SendSms(dir, L"7733", "KINO");
  api.Balance(prompt);
  EXPECT_EQ(Report(api, prompt, "KINO"), "ok");
  EXPECT_EQ(PackageFree(api, prompt), 1);
  // The first SMS is left for the operator.
  Database db((dir / "server.db").string());
  EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM sms_received WHERE user_id IS NULL"), 1);
}

}  // namespace
}  // namespace kestrova::test
