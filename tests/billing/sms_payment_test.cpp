// SMS payment through the spool: the spool file format, both payment chains
// with the balance and package they pay for on the server, the report's
// request line with encoded texts, and a refusing SMS service that stops
// the chain.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "billing/billing_endpoints.h"
#include "billing/payment_chains.h"
#include "billing/sms_payment.h"
#include "billing_fixture.h"
#include "net/endpoint.h"
#include "platform/sms.h"
#include "support/scoped_environment.h"
#include "support/temp_dir.h"

namespace kestrova::test {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> FilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) files.push_back(it->path());
  return files;
}

TEST(SmsSpoolTest, MessageFileIsWrittenWholeUnderAFreshName) {
  TempDir dir;
  const fs::path spool = dir / "deep" / "outgoing";  // made when missing
  const auto first = platform::SendSmsMessage(spool, L"1234", L"TV user1 é\nsecond line");
  ASSERT_TRUE(first);
  EXPECT_EQ(first->parent_path(), spool);
  EXPECT_NE(first->filename().string().front(), '.');
  EXPECT_EQ(ReadFile(*first), "To: 1234\nAlphabet: UTF-8\n\nTV user1 \xC3\xA9\nsecond line");
  EXPECT_EQ(fs::status(*first).permissions() & fs::perms::others_read, fs::perms::others_read);

  const auto second = platform::SendSmsMessage(spool, L"+447700900123", L"same");
  ASSERT_TRUE(second);
  EXPECT_NE(*first, *second);
  EXPECT_EQ(FilesIn(spool).size(), 2u);  // no temporary file left
}

TEST(SmsSpoolTest, UnwritableSpoolAndNonNumericAddressesAreRefusedWithoutLeftovers) {
  TempDir dir;
  const fs::path blocker = dir.Write("not-a-folder", "x");
  EXPECT_FALSE(platform::SendSmsMessage(blocker, L"1234", L"x"));
  EXPECT_FALSE(platform::SendSmsMessage(blocker / "outgoing", L"1234", L"x"));
  EXPECT_EQ(ReadFile(blocker), "x");

  const fs::path spool = dir / "outgoing";
  for (const wchar_t* address : {L"", L"+", L"12 34", L"1234\nTo: 999", L"-5", L"abc"}) {
    EXPECT_FALSE(platform::SendSmsMessage(spool, address, L"x")) << "address " << address;
  }
  EXPECT_FALSE(platform::SendSmsMessage(spool, std::wstring(platform::kMaxSmsAddressLength + 1, L'1'), L"x"));
  EXPECT_TRUE(FilesIn(spool).empty());
}

TEST(SmsSpoolTest, SpoolFolderComesFromTheEnvironment) {
  ScopedEnvironment spoolVariable("KESTROVA_SMS_SPOOL", nullptr);
  ScopedEnvironment dataVariable("XDG_DATA_HOME", nullptr);
  ScopedEnvironment homeVariable("HOME", "/home/someone");
  ::setenv("KESTROVA_SMS_SPOOL", "/srv/spool", 1);
  EXPECT_EQ(platform::SmsSpoolDirectory(), fs::path("/srv/spool"));
  ::unsetenv("KESTROVA_SMS_SPOOL");
  ::setenv("XDG_DATA_HOME", "/data/home", 1);
  EXPECT_EQ(platform::SmsSpoolDirectory(), fs::path("/data/home/kestrova/sms/outgoing"));
  ::unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(platform::SmsSpoolDirectory(), fs::path("/home/someone/.local/share/kestrova/sms/outgoing"));
}

class SmsPaymentTest : public BillingFixture {
 protected:
  std::string ReportLine(const std::string& number, const std::string& text) const {
    return "/sms_sent.php?&" + Common() + "&lng_id=2&codepage=utf8&client=wm&dist_number=1&short_number=" +
           number + "&status=1&text=" + text + "&exception=null";
  }
  int PackageFree() {
    return IntAttr(api_->Get("/catchan.php?" + session_.Query() + "&folder_id=6&lng_id=02").Root("channels"),
                   "free");
  }
  std::string Login() const { return session_.login; }
};

TEST_F(SmsPaymentTest, CreditPurchaseSendsReportsAndReadsTheCreditedBalance) {
  Doc().settings.operatorId = 101;
  auto numbers = billing::ShortNumbers(Doc().Api());
  ASSERT_EQ(numbers->ok, 1);
  ASSERT_EQ(Doc().shortNumbers.size(), 2u);
  const model::ShortNumberRecord number = *Doc().shortNumbers[0];
  ClearRequests();

  auto result = billing::RunCreditPurchase(Doc().Api(), 0);
  EXPECT_EQ(result->ok, 1);
  // The server read the spool and credited the account for the first number.
  EXPECT_EQ(Doc().accountBalance, 30);
  const std::string prefix(number.prefix.begin(), number.prefix.end());
  const std::string numberText = std::to_string(number.number);
  EXPECT_EQ(Requests(), (std::vector<std::string>{
                            ReportLine(numberText, prefix + "%20" + Login()),
                            "/bill.php?" + Common() + "&lng_id=1&codepage=utf8&client=wm&dist_number=1",
                        }));
  // The server took the message out of the spool.
  EXPECT_TRUE(FilesIn(Spool()).empty());

  // An index outside the list sends nothing.
  EXPECT_EQ(billing::RunCreditPurchase(Doc().Api(), 2)->ok, 0);
  EXPECT_EQ(billing::RunCreditPurchase(Doc().Api(), -1)->ok, 0);
}

TEST_F(SmsPaymentTest, FolderPaymentPaysThePackageOnceItsSmsIsRead) {
  Doc().currentFolder->smsNumber = L"7733";
  Doc().currentFolder->smsText = L"KINO";
  EXPECT_EQ(PackageFree(), 0);
  ClearRequests();
  auto result = billing::RunFolderPayment(Doc().Api());
  EXPECT_EQ(result->ok, 1);
  EXPECT_EQ(Requests(), (std::vector<std::string>{ReportLine("7733", "KINO")}));
  api_->Balance(session_);  // lets the server read the spool
  EXPECT_EQ(PackageFree(), 1);
}

TEST_F(SmsPaymentTest, ReportEncodesBlanksAmpersandsAndLetters) {
  EXPECT_EQ(billing::ReportSmsSent(Doc().Api(), 1, L"1234", L"TV user1")->ok, 1);
  EXPECT_EQ(billing::ReportSmsSent(Doc().Api(), 1, L"1234", L"A  B&status=0")->ok, 1);
  EXPECT_EQ(billing::ReportSmsSent(Doc().Api(), 1, L"1234", L"caf\u00e9")->ok, 1);
  EXPECT_EQ(Requests(), (std::vector<std::string>{
                            ReportLine("1234", "TV%20user1"),
                            ReportLine("1234", "A%20%20B%26status%3D0"),
                            ReportLine("1234", "caf%C3%A9"),
                        }));
  Doc().settings.apiBaseUrl = L"http://127.0.0.1:1";  // nothing listens there
  EXPECT_EQ(billing::ReportSmsSent(Doc().Api(), 1, L"1234", L"TV user1")->ok, 0);
}

TEST_F(SmsPaymentTest, RefusedSmsStopsTheChainBeforeAnyRequest) {
  const fs::path blocker = dir_.Write("blocker", "not a folder");
  ::setenv("KESTROVA_SMS_SPOOL", blocker.c_str(), 1);
  auto record = std::make_unique<model::ShortNumberRecord>();
  record->number = 4161;
  record->prefix = L"KTV";
  Doc().shortNumbers.push_back(std::move(record));
  Doc().accountBalance = 9;

  auto credit = billing::RunCreditPurchase(Doc().Api(), 0);
  EXPECT_EQ(credit->ok, 0);
  EXPECT_EQ(credit->message, resources::Strings().Get(net::kGenericFailureTextId));
  EXPECT_EQ(Doc().accountBalance, 9);

  Doc().currentFolder->smsNumber = L"7733";
  Doc().currentFolder->smsText = L"KINO";
  EXPECT_EQ(billing::RunFolderPayment(Doc().Api())->ok, 0);
  // A number that is no phone number is refused as well, even with a good spool.
  ::setenv("KESTROVA_SMS_SPOOL", Spool().c_str(), 1);
  Doc().currentFolder->smsNumber = L"7733\nTo: 1";
  EXPECT_EQ(billing::RunFolderPayment(Doc().Api())->ok, 0);

  EXPECT_TRUE(Requests().empty());
  EXPECT_EQ(ReadFile(blocker), "not a folder");
}

}  // namespace
}  // namespace kestrova::test
