// Account and set-up scripts against a running server.
#include <ctime>
#include <set>

#include "support/server_fixture.h"

namespace kestrova::test {
namespace {

using AccountTest = ServerTest;

std::string SetupPath(const Session& s, int provider, const std::tm& t) {
  return "/setup.php?" + s.Query() + "&provider_id=" + std::to_string(provider) + "&zone_id=7&client=wm&y=" +
         std::to_string(t.tm_year + 1900) + "&m=" + std::to_string(t.tm_mon + 1) + "&d=" + std::to_string(t.tm_mday) +
         "&hour=" + std::to_string(t.tm_hour) + "&min=" + std::to_string(t.tm_min) + "&sec=" +
         std::to_string(t.tm_sec) + "&lng_id=02&codepage=utf8&dist_number=1";
}

std::tm LocalNow(int shift_seconds = 0) {
  const std::time_t now = std::time(nullptr) + shift_seconds;
  std::tm t{};
  localtime_r(&now, &t);
  return t;
}

TEST_F(AccountTest, RegistersDecodesAndLogsIn) {
  const Session first = api_->Register();
  const Session second = api_->Register();
  EXPECT_EQ(first.login.size(), 8u);
  EXPECT_EQ(first.password.size(), 8u);
  EXPECT_NE(first.login, second.login);
  EXPECT_NE(first.user_id, second.user_id);
  EXPECT_EQ(first.key.size(), 32u);

  // A second log-in opens another session; both stay usable.
  const Session again = api_->Login(first.login, first.password);
  EXPECT_EQ(again.user_id, first.user_id);
  EXPECT_NE(again.key, first.key);
  EXPECT_EQ(api_->Balance(first), 0);
  EXPECT_EQ(api_->Balance(again), 0);
}

TEST_F(AccountTest, WrongPasswordAnswersInTheRequestLanguage) {
  const Session s = api_->Register();
  const std::string path = "/login.php?login=" + s.login + "&password=wrong123&affiliate_id=0&codepage=utf8&lng_id=";
  const Answer ru = api_->Get(path + "01");
  EXPECT_EQ(ru.ErrorId(), 1101);
  EXPECT_EQ(ru.ErrorText(), "Неверный логин или пароль");
  const Answer en = api_->Get(path + "02");
  EXPECT_EQ(en.ErrorId(), 1101);
  EXPECT_EQ(en.ErrorText(), "Wrong login or password");
  EXPECT_EQ(api_->Get(path + "04").ErrorText(), "Usuario o contraseña incorrectos");
  EXPECT_EQ(api_->Get(path + "05").ErrorText(), "Identifiant ou mot de passe incorrect");
  EXPECT_EQ(api_->Get(path + "-1").ErrorText(), "Wrong login or password");  // unknown language: English
  EXPECT_EQ(api_->Get("/login.php?login=nobody00&password=x&lng_id=02").ErrorId(), 1101);
  EXPECT_EQ(api_->Get("/login.php?login=" + s.login + "&lng_id=02").ErrorId(), 1001);
  // A failed log-in leaves the existing session alone.
  EXPECT_EQ(api_->Balance(s), 0);
}

TEST_F(AccountTest, SessionKeysAreCheckedForTheirOwnAccount) {
  const Session a = api_->Register();
  const Session b = api_->Register();
  const std::string tail = "&folder_id=0&lng_id=02&codepage=utf8";
  EXPECT_NE(api_->Get("/catchan.php?" + a.Query() + tail).Root("channels"), nullptr);
  EXPECT_EQ(api_->Get("/catchan.php?user_id=" + std::to_string(a.user_id) + "&key=" + b.key + tail).ErrorId(), 1102);
  EXPECT_EQ(api_->Get("/catchan.php?user_id=" + std::to_string(a.user_id) + "&key=" + tail).ErrorId(), 1102);
  const Answer ru = api_->Get("/bill.php?user_id=" + std::to_string(a.user_id) + "&key=0000&lng_id=01");
  EXPECT_EQ(ru.ErrorId(), 1102);
  EXPECT_EQ(ru.ErrorText(), "Сеанс устарел. Войдите снова.");
}

TEST_F(AccountTest, CountriesOperatorsAndZones) {
  const Session s = api_->Register();
  const Answer ru = api_->Get("/countries.php?" + s.Query() + "&lng_id=01&codepage=utf8&client=wm&dist_number=1");
  const auto countries = Children(ru.Root("countries"), "country");
  std::set<std::string> codes;
  int defaults = 0;
  for (const auto* c : countries) {
    codes.insert(Attr(c, "code"));
    defaults += IntAttr(c, "def");
    if (Attr(c, "code") == "RU") {
      EXPECT_STREQ(c->GetText(), "Россия");
      EXPECT_EQ(IntAttr(c, "def"), 1);  // the country of the interface language
    }
  }
  for (const char* code : {"RU", "ES", "FR", "GB"}) EXPECT_EQ(codes.count(code), 1u) << code;
  EXPECT_EQ(defaults, 1);
  const Answer en = api_->Get("/countries.php?" + s.Query() + "&lng_id=02&codepage=utf8");
  for (const auto* c : Children(en.Root("countries"), "country")) {
    EXPECT_EQ(IntAttr(c, "def"), Attr(c, "code") == "GB" ? 1 : 0);
  }

  const Answer operators =
      api_->Get("/operators.php?" + s.Query() + "&lng_id=04&country_code=ES&codepage=utf8&client=wm&dist_number=1");
  const auto ops = Children(operators.Root("operators"), "operator");
  ASSERT_GE(ops.size(), 2u);
  EXPECT_GT(IntAttr(ops[0], "id"), 0);
  EXPECT_STREQ(ops[0]->GetText(), "Sol Móvil");
  // The client sends an empty code before a country is chosen.
  EXPECT_EQ(api_->Get("/operators.php?" + s.Query() + "&lng_id=02&country_code=&codepage=utf8").ErrorId(), 1201);
  EXPECT_EQ(api_->Get("/operators.php?" + s.Query() + "&lng_id=02&country_code=XX").ErrorId(), 1201);

  const Answer zones = api_->Get("/zones.php?" + s.Query() + "&country_code=RU&lng_id=1&codepage=utf8&client=wm");
  const auto zone_list = Children(zones.Root("zones"), "zone");
  ASSERT_GE(zone_list.size(), 3u);
  int zone_defaults = 0;
  for (const auto* z : zone_list) {
    zone_defaults += IntAttr(z, "default");
    EXPECT_FALSE(Attr(z, "shift").empty());
    EXPECT_FALSE(Attr(z, "name").empty());
    if (IntAttr(z, "id") == 7) {
      EXPECT_EQ(Attr(z, "name"), "Москва");
    }
  }
  EXPECT_EQ(zone_defaults, 1);
}

TEST_F(AccountTest, SetupGivesTimeGapControlLinkQualitiesAndShortNumbers) {
  const Session s = api_->Register();
  const Answer now = api_->Get(SetupPath(s, 101, LocalNow()));
  const auto* settings = now.Root("settings");
  ASSERT_NE(settings, nullptr) << now.body;
  EXPECT_LE(std::abs(IntAttr(settings->FirstChildElement("time"), "gap")), 5);
  const std::string control = Attr(settings->FirstChildElement("control"), "link");
  EXPECT_EQ(control, "http://127.0.0.1:" + std::to_string(server_->Port()) + "/stream/");
  // Behind a TLS reverse proxy the stream link keeps the client's https.
  const Answer proxied = api_->Get(SetupPath(s, 101, LocalNow()),
                                   {{"Host", "tv.example.org"}, {"X-Forwarded-Proto", "https"}});
  ASSERT_NE(proxied.Root("settings"), nullptr) << proxied.body;
  EXPECT_EQ(Attr(proxied.Root("settings")->FirstChildElement("control"), "link"), "https://tv.example.org/stream/");
  const auto qualities = Children(settings->FirstChildElement("qualities"), "quality");
  ASSERT_GE(qualities.size(), 3u);
  for (const auto* q : qualities) EXPECT_FALSE(Attr(q, "spd_req").empty());
  const auto numbers = Children(settings->FirstChildElement("shortnumbers"), "shortnumber");
  ASSERT_FALSE(numbers.empty());
  EXPECT_EQ(IntAttr(numbers[0], "number"), 4161);
  EXPECT_EQ(Attr(numbers[0], "prefix"), "KTV");
  EXPECT_GT(IntAttr(numbers[0], "credit"), 0);

  // A device clock an hour behind is told to add an hour.
  const Answer behind = api_->Get(SetupPath(s, 201, LocalNow(-3600)));
  EXPECT_NEAR(IntAttr(behind.Root("settings")->FirstChildElement("time"), "gap"), 3600, 5);
  EXPECT_EQ(IntAttr(behind.Root("settings")->FirstChildElement("shortnumbers")->FirstChildElement("shortnumber"),
                    "number"),
            7744);

  // The stream script answers at the announced link; an unknown key is refused.
  EXPECT_EQ(api_->Raw("/stream/cc.cgi?user_id=1&user_key=x&channel_id=102&query_type=setup&957")->status, 403);

  std::tm bad = LocalNow();
  bad.tm_mon = 12;  // month 13
  EXPECT_EQ(api_->Get(SetupPath(s, 101, bad)).ErrorId(), 1002);
  EXPECT_EQ(api_->Get("/setup.php?" + s.Query() + "&provider_id=101&zone_id=7&y=abc&m=1&d=1&hour=0&min=0&sec=0")
                .ErrorId(),
            1002);
}

TEST_F(AccountTest, UpdateLanguageSettingsStoresTheLocationAndNamesIt) {
  const Session s = api_->Register();
  const Answer fr = api_->Get("/update_lng_set.php?" + s.Query() +
                              "&lng_id=5&country_code=ES&operator_id=202&zone_id=22&codepage=utf8&client=wm");
  const auto* root = fr.Root("update_settings");
  ASSERT_NE(root, nullptr) << fr.body;
  EXPECT_STREQ(root->FirstChildElement("country")->GetText(), "Espagne");
  EXPECT_STREQ(root->FirstChildElement("operator")->GetText(), "Brisa Télécom");
  EXPECT_EQ(Attr(root->FirstChildElement("zone"), "shift"), "+00:00");
  const auto qualities = Children(root->FirstChildElement("qualities"), "quality");
  ASSERT_FALSE(qualities.empty());
  EXPECT_EQ(Attr(qualities[0], "name"), "Automatique");

  // The stored country is now preselected and pays by its own short numbers.
  const Answer countries = api_->Get("/countries.php?" + s.Query() + "&lng_id=02");
  for (const auto* c : Children(countries.Root("countries"), "country")) {
    EXPECT_EQ(IntAttr(c, "def"), Attr(c, "code") == "ES" ? 1 : 0);
  }
  const Answer numbers = api_->Get("/shortnumbers.php?" + s.Query() + "&lng_id=2&codepage=utf8&provider_id=-1");
  EXPECT_EQ(IntAttr(numbers.Root("shortnumbers")->FirstChildElement("shortnumber"), "number"), 7744);

  // Unknown or unset parts are left out, not guessed.
  const Answer unset =
      api_->Get("/update_lng_set.php?" + s.Query() + "&lng_id=2&country_code=&operator_id=-1&zone_id=-1");
  ASSERT_NE(unset.Root("update_settings"), nullptr);
  EXPECT_EQ(unset.Root("update_settings")->FirstChildElement("country"), nullptr);
  EXPECT_EQ(unset.Root("update_settings")->FirstChildElement("zone"), nullptr);
  EXPECT_EQ(api_->Get("/update_lng_set.php?" + s.Query() + "&lng_id=2&operator_id=x1").ErrorId(), 1002);
}

TEST(VersionPolicyTest, TellsOlderClientsWhatThePolicySays) {
  for (const std::string policy : {"none", "recommended", "required"}) {
    TempDir dir;
    ServerProcess server(dir, {"--version-policy", policy});
    ASSERT_NE(server.Port(), 0) << ReadFile(dir / "server.err");
    auto api_owner = std::make_unique<ApiClient>(server.Port());
    ApiClient& api = *api_owner;
    const std::string path = "/version.php?user_id=0&key=&affiliate_id=0&version=";
    const std::string tail = "&lng_id=2&client_type=wm&codepage=utf8&dist_number=1";
    const Answer old = api.Get(path + "2.0.0" + tail);
    const auto* root = old.Root("version");
    ASSERT_NE(root, nullptr) << old.body;
    EXPECT_EQ(Attr(root, "update"), policy);
    if (policy == "none") {
      EXPECT_EQ(Attr(root, "message"), "");
    } else {
      EXPECT_NE(Attr(root, "message").find("2.1.0"), std::string::npos);
      const std::string link = Attr(root, "link");
      const std::string base = "http://127.0.0.1:" + std::to_string(server.Port());
      ASSERT_EQ(link.rfind(base, 0), 0u) << link;
      EXPECT_EQ(api.Raw(link.substr(base.size()))->status, 200);
    }
    // A current client is never asked to update; a missing version is an error.
    EXPECT_EQ(Attr(api.Get(path + "2.1.0" + tail).Root("version"), "update"), "none");
    EXPECT_EQ(Attr(api.Get(path + "10.0" + tail).Root("version"), "update"), "none");
    EXPECT_EQ(api.Get("/version.php?user_id=0&key=&lng_id=2").ErrorId(), 1001);
    api_owner.reset();  // no kept connection to wait for
    EXPECT_EQ(server.Stop(), 0);
  }
}

}  // namespace
}  // namespace kestrova::test
