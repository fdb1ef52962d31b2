// Account and set-up endpoints against kestrova-server: registration and
// log-in, the regional lists, the session set-up, the version check and
// the browser start; the exact request lines; and the answers a real
// server does not give, from a loopback server.
#include "net/account_endpoints.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <thread>

#include "endpoint_server.h"
#include "net/endpoint.h"
#include "net/setup_endpoints.h"
#include "net/version_endpoint.h"
#include "platform/utf8.h"
#include "resources/string_table.h"
#include "support/loopback_server.h"

namespace kestrova::test {
namespace {

using AccountEndpointsTest = EndpointServerTest;

std::string Narrow(const std::wstring& text) { return platform::EncodeUtf8(text); }

TEST_F(AccountEndpointsTest, RegistersLogsInAndKeepsCredentialsOnAWrongPassword) {
  Doc().settings.countryCode = L"ru";
  Doc().settings.operatorId = 4;
  ClearRequests();
  const auto registered = net::NewUser(Doc().Api());
  ASSERT_EQ(registered->ok, 1) << Narrow(registered->message);
  const std::wstring login = Doc().settings.login;
  const std::wstring password = Doc().settings.password;
  EXPECT_EQ(login.size(), 8U);
  EXPECT_EQ(password.size(), 8U);
  EXPECT_TRUE(Doc().settings.countryCode.empty());
  EXPECT_EQ(Doc().settings.operatorId, -1);

  const auto loggedIn = net::Login(Doc().Api(), login, password);
  ASSERT_EQ(loggedIn->ok, 1) << Narrow(loggedIn->message);
  EXPECT_GT(Doc().userId, 0);
  EXPECT_FALSE(Doc().sessionKey.empty());
  EXPECT_EQ(Requests(),
            (std::vector<std::string>{"/new_user.php?affiliate_id=2&codepage=utf8&lng_id=02&client=wm&dist_number=1",
                                      "/login.php?login=" + Narrow(login) +
                                          "&password=*&lng_id=02&affiliate_id=2&codepage=utf8&client=wm&dist_number=1"}));

  const int userId = Doc().userId;
  const std::wstring key = Doc().sessionKey;
  const auto wrong = net::Login(Doc().Api(), login, L"wrong123");
  EXPECT_EQ(wrong->ok, 0);
  EXPECT_EQ(wrong->errorId, 1101);
  EXPECT_EQ(wrong->message, L"Wrong login or password");
  EXPECT_EQ(Doc().userId, userId);
  EXPECT_EQ(Doc().sessionKey, key);
  EXPECT_EQ(Doc().settings.password, password);
}

TEST_F(AccountEndpointsTest, CountriesOperatorsZonesAndStoredSettings) {
  ASSERT_NO_FATAL_FAILURE(RegisterAndLogIn());
  const std::string session = SessionQuery();
  ClearRequests();
  ASSERT_EQ(net::Countries(Doc().Api())->ok, 1);
  ASSERT_GE(Doc().countries.size(), 4U);
  const model::CountryRecord* russia = nullptr;
  for (const auto& country : Doc().countries) {
    if (country->code == L"RU") russia = country.get();
  }
  ASSERT_NE(russia, nullptr);
  EXPECT_FALSE(russia->name.empty());

  Doc().settings.countryCode = L"RU";
  ASSERT_EQ(net::Operators(Doc().Api())->ok, 1);
  ASSERT_FALSE(Doc().operators.empty());
  ASSERT_EQ(net::Zones(Doc().Api())->ok, 1);
  ASSERT_FALSE(Doc().zones.empty());
  int defaults = 0;
  for (const auto& zone : Doc().zones) defaults += zone->isDefault;
  EXPECT_LE(defaults, 1);
  EXPECT_EQ(Requests(),
            (std::vector<std::string>{
                "/countries.php?" + session + "&lng_id=02&codepage=utf8&client=wm&dist_number=1",
                "/operators.php?" + session + "&lng_id=02&country_code=RU&codepage=utf8&client=wm&dist_number=1",
                "/zones.php?" + session + "&country_code=RU&lng_id=2&codepage=utf8&client=wm&dist_number=1"}));

  // The regional choice goes to the server; names come back in the new language.
  Doc().settings.operatorId = Doc().operators.front()->id;
  Doc().settings.timeZoneId = Doc().zones.front()->id;
  Doc().settings.languageId = 2;  // Russian: server language 1
  ClearRequests();
  ASSERT_EQ(net::UpdateLanguageSettings(Doc().Api())->ok, 1);
  EXPECT_EQ(Doc().settings.countryName, L"\u0420\u043e\u0441\u0441\u0438\u044f");
  EXPECT_FALSE(Doc().settings.operatorName.empty());
  EXPECT_FALSE(Doc().settings.timeZoneShift.empty());
  EXPECT_EQ(Requests(), (std::vector<std::string>{"/update_lng_set.php?" + session + "&lng_id=1&country_code=RU" +
                                                  "&operator_id=" + std::to_string(Doc().settings.operatorId) +
                                                  "&zone_id=" + std::to_string(Doc().settings.timeZoneId) +
                                                  "&codepage=utf8&client=wm&dist_number=1"}));
}

TEST_F(AccountEndpointsTest, SetupSendsTheDeviceClockAndZoneSevenAndChecksTheQuality) {
  ASSERT_NO_FATAL_FAILURE(RegisterAndLogIn());
  Doc().settings.operatorId = 3;
  Doc().settings.timeZoneId = 12;  // never sent by the set-up
  Doc().settings.qualityId = 987654;
  std::tm device{};
  device.tm_year = 2024 - 1900;
  device.tm_mon = 2;
  device.tm_mday = 5;
  device.tm_hour = 9;
  device.tm_min = 7;
  device.tm_sec = 3;
  device.tm_isdst = -1;
  document_->Clock().now = std::mktime(&device);
  ClearRequests();
  const auto result = net::Setup(Doc().Api());
  ASSERT_EQ(result->ok, 1) << Narrow(result->message);
  EXPECT_EQ(Requests(), (std::vector<std::string>{"/setup.php?" + SessionQuery() +
                                                  "&provider_id=03&zone_id=7&client=wm&y=2024&m=3&d=5&hour=9&min=7"
                                                  "&sec=3&lng_id=02&codepage=utf8&dist_number=1"}));
  ASSERT_FALSE(Doc().qualities.empty());
  EXPECT_FALSE(Doc().controlLink.empty());
  EXPECT_EQ(Doc().settings.qualityId, 0);  // not offered

  // A quality the server offers is kept; a second set-up does not pile up records.
  const std::size_t qualityCount = Doc().qualities.size();
  Doc().settings.qualityId = Doc().qualities.back()->id;
  ASSERT_EQ(net::Setup(Doc().Api())->ok, 1);
  EXPECT_EQ(Doc().settings.qualityId, Doc().qualities.back()->id);
  EXPECT_EQ(Doc().qualities.size(), qualityCount);
}

TEST_F(AccountEndpointsTest, VersionStoresTheUpdatePolicy) {
  ASSERT_NO_FATAL_FAILURE(RegisterAndLogIn());
  ClearRequests();
  ASSERT_EQ(net::Version(Doc().Api())->ok, 1);
  EXPECT_FALSE(Doc().updateKind.empty());
  EXPECT_EQ(Requests(), (std::vector<std::string>{"/version.php?" + SessionQuery() +
                                                  "&version=2.0.0&lng_id=2&client_type=wm&codepage=utf8"
                                                  "&dist_number=1"}));
}

// Answers only a loopback server gives.
class OddAnswersTest : public ::testing::Test {
 protected:
  LoopbackServer server_;
  TestDocument doc_{server_.WideBaseUrl()};
};

// The real server records passwords masked: the exact request line is seen here.
TEST_F(OddAnswersTest, LoginAndPasswordTravelPercentEncoded) {
  server_.Serve("/login.php", "<error id=\"1101\">Wrong login or password</error>");
  doc_->settings.languageId = 1;  // English: the server's language 2
  const auto result = net::Login(doc_.Doc().Api(), L"a&b \u00e9", L"p=1#&x");
  EXPECT_EQ(result->ok, 0);
  const std::string target = server_.LastRequest().target;
  EXPECT_EQ(target.rfind("/login.php?login=a%26b%20%C3%A9&password=p%3D1%23%26x&lng_id=02&affiliate_id=2&codepage=utf8"
                         "&client=wm&dist_number=1&",
                         0),
            0U)
      << target;
  EXPECT_TRUE(doc_->settings.login.empty());
}

TEST_F(OddAnswersTest, SecurityStringsThatDoNotDecodeToSixteenCharactersChangeNothing) {
  doc_->settings.login = L"keep";
  doc_->settings.countryCode = L"fr";
  // 15 characters; 17 characters; 16 with one the table does not know.
  for (const char* security : {"soadliherui7qrb", "soadliherui7qrb3p", "soadliherui7qrbX"}) {
    server_.Serve("/new_user.php", std::string("<new_user security_str=\"") + security + "\"/>");
    const auto result = net::NewUser(doc_.Doc().Api());
    EXPECT_EQ(result->ok, 0) << security;
    EXPECT_EQ(result->message, resources::Strings().Get(net::kGenericFailureTextId));
    EXPECT_EQ(doc_->settings.login, L"keep");
    EXPECT_EQ(doc_->settings.countryCode, L"fr");
  }
}

TEST_F(OddAnswersTest, SetupWithoutQualitiesAndEmptyListsAndAnEmptyCountry) {
  doc_->settings.qualityId = 3;
  server_.Serve("/setup.php", "<settings><time gap=\"-120\"/></settings>");
  const auto setup = net::Setup(doc_.Doc().Api());
  EXPECT_EQ(setup->ok, 1);
  EXPECT_EQ(doc_->settings.qualityId, 0);
  EXPECT_EQ(doc_->Network().timeGap.load(), -120);

  doc_->countries.push_back(std::make_unique<model::CountryRecord>());
  server_.Serve("/countries.php", "<countries/>");
  const auto countries = net::Countries(doc_.Doc().Api());
  EXPECT_EQ(countries->ok, 0);
  EXPECT_EQ(countries->message, resources::Strings().Get(net::kGenericFailureTextId));
  EXPECT_TRUE(doc_->countries.empty());

  server_.Serve("/operators.php", "<operators><operator id=\"5\">Op</operator></operators>");
  EXPECT_EQ(net::Operators(doc_.Doc().Api())->ok, 1);
  EXPECT_NE(server_.LastRequest().query.find("&country_code=&codepage="), std::string::npos);

  // Qualities named again keep their place; unknown ids are ignored.
  auto quality = std::make_unique<model::QualityRecord>();
  quality->id = 2;
  quality->name = L"old";
  doc_->qualities.push_back(std::move(quality));
  server_.Serve("/update_lng_set.php",
                "<update_settings><qualities><quality id=\"9\" name=\"x\"/><quality id=\"2\" name=\"new\"/>"
                "</qualities></update_settings>");
  EXPECT_EQ(net::UpdateLanguageSettings(doc_.Doc().Api())->ok, 1);
  ASSERT_EQ(doc_->qualities.size(), 1U);
  EXPECT_EQ(doc_->qualities.front()->name, L"new");
}

TEST(LaunchBrowserTest, HandsTheLinkOverAsOneArgumentWithoutAShell) {
  TempDir dir;
  const auto script = dir / "browser.sh";
  const auto output = dir / "argument.txt";
  {
    std::ofstream file(script);
    file << "#!/bin/sh\nprintf '%s' \"$1\" > '" << output.string() << "'\n";
  }
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  const char* previous = std::getenv("BROWSER");
  const std::string saved = previous != nullptr ? previous : "";
  ::setenv("BROWSER", script.c_str(), 1);
  const std::wstring link = L"http://example.invalid/u?a=1&b=$(touch x);echo 'q'";
  const bool started = net::LaunchBrowser(link);
  if (previous != nullptr)
    ::setenv("BROWSER", saved.c_str(), 1);
  else
    ::unsetenv("BROWSER");
  ASSERT_TRUE(started);
  std::string seen;
  for (int attempt = 0; attempt < 100 && seen.empty(); ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::ifstream in(output);
    std::getline(in, seen);
  }
  EXPECT_EQ(seen, platform::EncodeUtf8(link));
  EXPECT_FALSE(std::filesystem::exists("x"));

  // Only web addresses reach the browser: no other scheme, no option.
  ::setenv("BROWSER", script.c_str(), 1);
  std::filesystem::remove(output);
  for (const wchar_t* refused : {L"file:///etc/passwd", L"-x http://example.invalid/", L"javascript:alert(1)",
                                 L"", L"http://example.invalid/\nX-Injected: 1"}) {
    EXPECT_FALSE(net::LaunchBrowser(refused)) << platform::EncodeUtf8(refused);
  }
  EXPECT_TRUE(net::LaunchBrowser(L"HTTPS://example.invalid/ok"));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  std::ifstream last(output);
  std::getline(last, seen);
  EXPECT_EQ(seen, "HTTPS://example.invalid/ok");

  ::setenv("BROWSER", (dir / "missing-browser").c_str(), 1);
  EXPECT_FALSE(net::LaunchBrowser(L"http://example.invalid/"));
  if (previous != nullptr)
    ::setenv("BROWSER", saved.c_str(), 1);
  else
    ::unsetenv("BROWSER");
}

}  // namespace
}  // namespace kestrova::test
