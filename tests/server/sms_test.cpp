// Payment SMS through the spool: a credit SMS credits its login's account; a
// package SMS pays the package of the account that reported it.
#include <chrono>
#include <filesystem>
#include <thread>

#include "support/server_fixture.h"

namespace kestrova::test {
namespace {

namespace fs = std::filesystem;

class SmsTest : public ServerTest {
 protected:
  // Written aside and renamed into place, as the client's spool writer does,
  // so that the background scan never sees half a file.
  void WriteSms(const std::string& name, const std::string& content) const {
    const fs::path aside = dir_.Write((fs::path("sms") / ("." + name + ".part")).string(), content);
    fs::rename(aside, Spool() / name);
  }
  bool InFolder(const char* folder, const std::string& name) const {
    return fs::exists(dir_ / "sms" / folder / name);
  }
  // Waits for the background scan to take a file out of the spool.
  bool WaitUntilGone(const std::string& name) const {
    for (int i = 0; i < 500; ++i) {
      if (!fs::exists(Spool() / name)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
  std::string Report(const Session& s, const std::string& number, const std::string& text) {
    const Answer answer = api_->Get("/sms_sent.php?&" + s.Query() + "&lng_id=2&codepage=utf8&client=wm&dist_number=1"
                                    "&short_number=" + number + "&status=1&text=" + text + "&exception=null");
    return answer.Root("sms_sent") != nullptr ? "ok" : answer.body;
  }
  int PackageFree(const Session& s) {
    return IntAttr(api_->Get("/catchan.php?" + s.Query() + "&folder_id=6&lng_id=02").Root("channels"), "free");
  }
};

TEST_F(SmsTest, CreditSmsCreditsTheLoginsAccount) {
  const Session s = api_->Register();
  const Session other = api_->Register();
  WriteSms("kestrova-1", "To: 4161\nAlphabet: UTF-8\n\nKTV " + s.login + "\n");
  // The balance request reads the spool before it answers.
  EXPECT_EQ(api_->Balance(s), 30);
  EXPECT_TRUE(InFolder("sent", "kestrova-1"));
  EXPECT_FALSE(fs::exists(Spool() / "kestrova-1"));
  EXPECT_EQ(api_->Balance(other), 0);

  // The report that follows the SMS pays nothing more.
  EXPECT_EQ(Report(s, "4161", "KTV%20" + s.login), "ok");
  EXPECT_EQ(api_->Balance(s), 30);

  // The second short number of the country gives its own credit; the account
  // is told in its messages.
  // Without any request the background scan picks it up within a second.
  WriteSms("kestrova-2", "To: 4443\n\nktv " + s.login);
  EXPECT_TRUE(WaitUntilGone("kestrova-2"));
  EXPECT_EQ(api_->Balance(s), 130);  // also waits for a scan still running
  const Answer messages = api_->Get("/messenger.php?codepage=utf8&" + s.Query() + "&page=1&client=wm&lng_id=2");
  EXPECT_EQ(Attr(messages.Root("messenger")->FirstChildElement("message"), "header"), "Payment received");
}

TEST_F(SmsTest, UnusableMessagesAreSetAsideWithoutCredit) {
  const Session s = api_->Register();
  WriteSms("unknown-login", "To: 4161\n\nKTV nobody99\n");
  WriteSms("wrong-number", "To: 9999\n\nKTV " + s.login + "\n");
  WriteSms("no-header", "just some text\n");
  WriteSms("no-to", "From: 123\n\nKTV " + s.login + "\n");
  // Files still being written or locked stay in the spool.
  WriteSms(".kestrova-tmp", "To: 4161\n\nKTV " + s.login + "\n");
  WriteSms("locked", "To: 4161\n\nKTV " + s.login + "\n");
  WriteSms("locked.LOCK", "");
  EXPECT_EQ(api_->Balance(s), 0);
  for (const char* name : {"unknown-login", "wrong-number", "no-header", "no-to"}) {
    EXPECT_TRUE(InFolder("failed", name)) << name;
  }
  EXPECT_TRUE(fs::exists(Spool() / ".kestrova-tmp"));
  EXPECT_TRUE(fs::exists(Spool() / "locked"));

  // Once unlocked, the message pays.
  fs::remove(Spool() / "locked.LOCK");
  EXPECT_EQ(api_->Balance(s), 30);
}

TEST_F(SmsTest, AReportWithAnEmptyTextOrNumberIsStillAReport) {
  const Session s = api_->Register();
  EXPECT_EQ(Report(s, "7733", ""), "ok");
  EXPECT_EQ(Report(s, "", "KINO"), "ok");
  EXPECT_EQ(Report(s, "", "%20"), "ok");
}

TEST_F(SmsTest, PackageSmsMeetsItsReportInEitherOrder) {
  const Session read_after_report = api_->Register();
  const Session read_before_report = api_->Register();
  const Session bystander = api_->Register();
  EXPECT_EQ(PackageFree(read_after_report), 0);

  // Sent, then reported, as the handset does; the report is filed before the
  // spool is read.
  WriteSms("pkg-1", "To: 7733\n\nKINO\n");
  EXPECT_EQ(Report(read_after_report, "7733", "KINO"), "ok");
  EXPECT_TRUE(InFolder("sent", "pkg-1"));
  EXPECT_EQ(api_->Balance(read_after_report), 0);  // the package costs no credit
  EXPECT_EQ(PackageFree(read_after_report), 1);

  // The SMS is read before its report arrives.
  WriteSms("pkg-2", "To: 7733\n\nkino");
  api_->Balance(bystander);
  EXPECT_TRUE(InFolder("sent", "pkg-2"));
  EXPECT_EQ(PackageFree(read_before_report), 0);
  EXPECT_EQ(Report(read_before_report, "7733", "KINO"), "ok");
  EXPECT_EQ(PackageFree(read_before_report), 1);
  const Answer channels = api_->Get("/catchan.php?" + read_before_report.Query() + "&folder_id=6&lng_id=02");
  for (const auto* c : Children(channels.Root("channels"), "channel")) EXPECT_EQ(IntAttr(c, "free"), 1);

  // Nobody else gets the package, and one SMS pays once.
  EXPECT_EQ(PackageFree(bystander), 0);
  EXPECT_EQ(Report(bystander, "7733", "KINO"), "ok");
  EXPECT_EQ(PackageFree(bystander), 0);
  EXPECT_EQ(api_->Balance(bystander), 0);
}

}  // namespace
}  // namespace kestrova::test
