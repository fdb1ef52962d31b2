// What goes wrong on the way in: a wrong password, a server that is not
// there or never answers, the user giving up waiting, and the update
// policies of the version check.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>

#include "app/kestrova_doc.h"
#include "journey_fixture.h"
#include "support/loopback_server.h"
#include "support/scoped_environment.h"
#include "ui/screens/login_screen.h"

namespace kestrova::test {
namespace {

using namespace std::chrono_literals;
using FailuresTest = JourneyTest;

constexpr int kErrorTitle = 23;
constexpr int kNoticeTitle = 44;
constexpr int kConnectionFailureText = 24;

// The test's server behind a loopback front: each path of `paths` is
// forwarded to it, except that while `hold` is set the front holds the
// answer for `heldPath` (headers sent, then nothing): a real server that
// does not answer in time.
void FrontFor(LoopbackServer& front, int serverPort, const std::vector<std::string>& paths,
              const std::string& heldPath, const std::atomic<bool>& hold) {
  for (const std::string& path : paths) {
    front.Handle(path, [serverPort, held = path == heldPath, &hold](const LoopbackRequest& request) {
      LoopbackReply reply;
      if (held && hold) {
        reply.body = std::string(4096, ' ');
        reply.stallAfter = 0;
        return reply;
      }
      httplib::Client server("127.0.0.1", serverPort);
      const auto answer = server.Get(request.target);
      if (!answer) {
        reply.status = 502;
        return reply;
      }
      reply.status = answer->status;
      reply.body = answer->body;
      reply.contentType = answer->get_header_value("Content-Type");
      return reply;
    });
  }
}

TEST_F(FailuresTest, AWrongPasswordOrAMissingServerShowsTheErrorAndAStalledOneStillClosesAtOnce) {
  const Session account = api_->Register();
  TakeRequests();
  {
    UiHarness::Options options = AtServer(resources::kLanguageEnglish);
    options.login = std::wstring(account.login.begin(), account.login.end());
    options.password = L"wrong123";
    UiHarness ui(KESTROVA_BIN_DIR, options);
    ASSERT_TRUE(ui.RunUntilScreen(ui::kLoginScreen));
    EXPECT_EQ(ui.PopupTitle(), resources::Strings().Get(kErrorTitle));
    EXPECT_EQ(ui.Screens().Current()->PopupText(), L"Wrong login or password");
    const auto requests = TakeRequests();
    EXPECT_TRUE(Contains(requests, "login.php"));
    EXPECT_FALSE(Contains(requests, "countries.php"));
  }
  {
    UiHarness::Options options;  // nothing listens at its address
    options.login = L"somebody";
    options.password = L"secret12";
    UiHarness ui(KESTROVA_BIN_DIR, options);
    ASSERT_TRUE(ui.RunUntilScreen(ui::kLoginScreen, 10s));
    EXPECT_EQ(ui.PopupTitle(), resources::Strings().Get(kErrorTitle));
    EXPECT_EQ(ui.Screens().Current()->PopupText(), resources::Strings().Get(24));
  }
  LoopbackServer silent;
  silent.Serve("/login.php", LoopbackReply{200, std::string(4096, ' '), "text/xml", {}, 0, 0ms, 16});
  UiHarness::Options options;
  options.apiUrl = silent.WideBaseUrl();
  options.login = L"somebody";
  options.password = L"secret12";
  auto ui = std::make_unique<UiHarness>(KESTROVA_BIN_DIR, options);
  ASSERT_TRUE(ui->RunUntil([&] { return silent.BodyBytesSent() > 0; }, 10s));
  EXPECT_TRUE(ui->View().Busy());
  // The window is closed while the log-in hangs: the program ends at once,
  // delivers nothing and keeps the user's choices.
  ui->Document().settings.countryCode = L"FR";
  const std::filesystem::path registry = ui->RegistryFile();
  const auto start = std::chrono::steady_clock::now();
  ui->Loop().Post(ui->App().Frame(), platform::WM_CLOSE, 0, 0);
  EXPECT_EQ(ui->Loop().Run(), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);  // the transfer sees the cancel within about a second
  EXPECT_EQ(RegistryText(registry, L"strCountryCode"), L"FR");
  ui.reset();
}

TEST_F(FailuresTest, BackWhileWaitingEndsTheRequestAsAFailureAndTheNextRequestWorks) {
  const Session account = api_->Register();
  std::atomic<bool> hold{true};  // before the front, whose threads read it
  LoopbackServer front;
  FrontFor(front, server_->Port(), {"/version.php", "/login.php", "/countries.php"}, "/login.php", hold);
  UiHarness::Options options;
  options.apiUrl = front.WideBaseUrl();
  options.login = std::wstring(account.login.begin(), account.login.end());
  options.password = std::wstring(account.password.begin(), account.password.end());
  UiHarness ui(KESTROVA_BIN_DIR, options);
  // The automatic log-in waits for an answer that does not come.
  ASSERT_TRUE(ui.RunUntil([&] { return ui.View().Busy() && front.LastRequest().path == "/login.php"; }, 20s));
  ui.Press(platform::VK_DOWN);  // other keys still wait
  EXPECT_TRUE(ui.View().Busy());

  ui.Press(platform::VK_BACK_KEY);
  // Back on the form as after any failed log-in, within a second or so of
  // the next progress check (ten seconds allow for a busy machine).
  ASSERT_TRUE(ui.RunUntil([&] { return !ui.View().Busy() && !ui.PopupTitle().empty(); }, 10s));
  EXPECT_EQ(ui.Screens().CurrentId(), ui::kLoginScreen);
  EXPECT_EQ(ui.PopupTitle(), resources::Strings().Get(kErrorTitle));
  EXPECT_EQ(ui.Screens().Current()->PopupText(), resources::Strings().Get(kConnectionFailureText));
  EXPECT_TRUE(ui.RunUntilIdle());

  // The server answers again: logging in from the form goes on to the countries.
  hold = false;
  ui.Press(platform::VK_RETURN);  // closes the pop-up
  SelectRow(ui, ui::screens::LoginScreen::kLoginButton);
  ui.Press(platform::VK_RETURN);
  EXPECT_TRUE(ui.RunUntilScreen(ui::kCountryScreen));
}

TEST_F(FailuresTest, ARequiredUpdateOffersOnlyDownloadAndExitARecommendedOneCanBeSkipped) {
  const ScopedEnvironment browser("BROWSER", "true");  // the download address opens in a browser that does nothing
  for (const std::string policy : {"required", "recommended"}) {
    ServerProcess server(dir_, {"--version-policy", policy});
    ASSERT_NE(server.Port(), 0);
    Session account;
    {
      ApiClient api(server.Port());  // closed before the server stops: no kept connection holds it up
      account = api.Register();
      api.Raw("/_log/requests?clear=1");
    }
    UiHarness::Options options;
    options.apiUrl = L"http://127.0.0.1:" + std::to_wstring(server.Port());
    UiHarness ui(KESTROVA_BIN_DIR, options);
    ui.KeyUp(platform::VK_F2);  // no registration: the form
    ui.Type(std::wstring(account.login.begin(), account.login.end()));
    ui.Press(platform::VK_DOWN);
    ui.Type(std::wstring(account.password.begin(), account.password.end()));
    ui.Press(platform::VK_DOWN);
    ui.Press(platform::VK_RETURN);
    ASSERT_TRUE(ui.RunUntilIdle());
    const ui::Screen& form = *ui.Screens().Current();
    ASSERT_TRUE(form.PopupShown()) << policy;
    EXPECT_EQ(form.LeftPopupKey(), 42);
    if (policy == "required") {
      EXPECT_EQ(form.PopupTitle(), resources::Strings().Get(kErrorTitle));
      EXPECT_EQ(form.RightPopupKey(), 12);
      ui.KeyUp(platform::VK_F1);  // download: the browser opens and the program ends
      EXPECT_TRUE(ui.RunUntil([&] { return ui.App().Frame()->View() == nullptr; }, 5s));
      ApiClient api(server.Port());
      const auto log = api.Raw("/_log/requests");
      ASSERT_TRUE(log);
      EXPECT_EQ(log->body.find("/login.php"), std::string::npos);
    } else {
      EXPECT_EQ(form.PopupTitle(), resources::Strings().Get(kNoticeTitle));
      EXPECT_EQ(form.RightPopupKey(), 19);
      ui.KeyUp(platform::VK_F2);  // go on without updating
      EXPECT_TRUE(ui.RunUntilScreen(ui::kCountryScreen));
    }
    EXPECT_EQ(server.Stop(), 0);
  }
}

}  // namespace
}  // namespace kestrova::test
