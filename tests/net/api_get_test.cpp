// API URLs: base, request text, distribution suffix, time token; query
// values and request formatting.
#include <gtest/gtest.h>

#include <ctime>

#include "net/api_get.h"
#include "net/query_keys.h"
#include "net/request_format.h"
#include "support/local_time.h"
#include "support/loopback_server.h"
#include "support/test_document.h"

namespace kestrova::test {
namespace {

using net::FormatRequest;

// The moment whose local time is the given clock time, on some day.
std::time_t LocalMoment(int hour, int minute, int second) { return LocalTime(2024, 3, 5, hour, minute, second); }

class ApiGetTest : public ::testing::Test {
 protected:
  LoopbackServer server_;
  TestDocument doc_{server_.WideBaseUrl()};
  ScopedTempDirectory tmp_;
};

TEST_F(ApiGetTest, TheUrlIsBaseRequestDistributionSuffixAndTheClockPlusGap) {
  server_.Serve("/countries.php", "<countries/>");
  constexpr int kGap = 3 * 3600 + 17;
  doc_->Network().timeGap = kGap;

  // 00:00:00 after the gap is added: the token has no padding.
  doc_.Clock().now = LocalMoment(0, 0, 0) - kGap;
  std::filesystem::path file;
  ASSERT_TRUE(net::ApiGet(doc_.Doc().Api(), L"countries.php?user_id=3&key=k", file));
  EXPECT_EQ(server_.LastRequest().target, "/countries.php?user_id=3&key=k&friend_id=5&agregator_id=7&000");
  EXPECT_EQ(server_.LastRequest().Param("agregator_id"), "7");
  std::filesystem::remove(file);

  doc_.Clock().now = LocalMoment(23, 59, 59) - kGap;
  ASSERT_TRUE(net::ApiGet(doc_.Doc().Api(), L"countries.php?user_id=3", file));
  EXPECT_TRUE(server_.LastRequest().target.ends_with("&agregator_id=7&235959"));
  std::filesystem::remove(file);

  // A negative gap takes the clock back over midnight.
  doc_->Network().timeGap = -10;
  doc_.Clock().now = LocalMoment(0, 0, 5);
  EXPECT_EQ(net::ApiUrl(doc_.Doc().Api(), L"x.php?a=1"), server_.WideBaseUrl() + L"/x.php?a=1&friend_id=5&agregator_id=7&235955");
  EXPECT_EQ(net::TimeToken(LocalMoment(9, 5, 7)), L"&957");
}

TEST_F(ApiGetTest, AnEncodedValueCannotChangeTheRequest) {
  server_.Serve("/login.php", "<login/>");
  const std::wstring login = L"a&password=x b#\u00e9";
  const std::wstring request = FormatRequest(L"login.php?login=%s&password=%s", {net::QueryValue(login), L"pw"});
  std::filesystem::path file;
  ASSERT_TRUE(net::ApiGet(doc_.Doc().Api(), request, file));
  std::filesystem::remove(file);

  const auto seen = server_.LastRequest();
  EXPECT_EQ(seen.Param("login"), "a&password=x b#\xc3\xa9");
  EXPECT_EQ(seen.ParamCount("password"), 1U);
  EXPECT_EQ(seen.Param("password"), "pw");
  EXPECT_EQ(seen.Param("friend_id"), "5");

  EXPECT_EQ(net::QueryValue(L"a&b c\u00e9"), L"a%26b%20c%C3%A9");
  EXPECT_EQ(net::QueryValue(L"Ordinary-value_1.2~"), L"Ordinary-value_1.2~");
}

TEST_F(ApiGetTest, CommonQueryValuesComeFromTheSessionAndSettings) {
  doc_->userId = 42;
  doc_->sessionKey = L"k y";
  doc_->settings.languageId = 2;  // Russian: the server's id 1
  auto common = net::CommonQuery(doc_.Doc().Api());
  EXPECT_EQ(common.userId, 42);
  EXPECT_EQ(common.key, L"k%20y");
  EXPECT_EQ(common.affiliateId, TestDocument::kAffiliateId);
  EXPECT_EQ(common.languageId, 1);
  EXPECT_EQ(FormatRequest(L"lng_id=%02d", {common.languageId}), L"lng_id=01");

  // A language outside 1 to 4 sends -1, also in two-digit form.
  doc_->settings.languageId = 7;
  common = net::CommonQuery(doc_.Doc().Api());
  EXPECT_EQ(FormatRequest(L"lng_id=%02d&lng=%d", {common.languageId, common.languageId}), L"lng_id=-1&lng=-1");
}

TEST(FormatRequest, FillsNumbersAndTextsLikePrintf) {
  EXPECT_EQ(FormatRequest(L"a=%d&b=%s&c=%02d&d=%%", {-12, L"t", 5}), L"a=-12&b=t&c=05&d=%");
  EXPECT_EQ(FormatRequest(L"%03d|%4d|%2s", {-1, 7, L"x"}), L"-01|   7| x");
  EXPECT_EQ(FormatRequest(L"%d", {std::int64_t{-9223372036854775807LL - 1}}), L"-9223372036854775808");
  // Missing values write nothing; unknown conversions stay as written.
  EXPECT_EQ(FormatRequest(L"x=%d&y=%s&%q", {}), L"x=&y=&%q");
  EXPECT_EQ(FormatRequest(L"%d.%d.%d", {2, 0, 0}), L"2.0.0");
}

}  // namespace
}  // namespace kestrova::test
