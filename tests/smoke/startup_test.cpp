// Start-up and shutdown of the real program, headless: as a child process
// (exit statuses, the settings message) and in-process (first paint, close).
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <thread>

#include "app/kestrova_app.h"
#include "app/kestrova_view.h"
#include "app/settings_store.h"
#include "platform/registry.h"
#include "resources/skin_archive.h"
#include "resources/string_table.h"
#include "support/scoped_environment.h"
#include "support/temp_dir.h"

extern char** environ;

namespace kestrova {
namespace {

using namespace std::chrono_literals;
using test::TempDir;

const std::filesystem::path kBinDir = KESTROVA_BIN_DIR;

// A child process with the test's environment plus the given variables.
class Child {
 public:
  Child(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv,
        const std::filesystem::path& stderrFile) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
    env.insert(env.end(), extraEnv.begin(), extraEnv.end());
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Child() {
    if (pid_ > 0 && !status_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }

  bool Started() const { return pid_ > 0; }
  // The exit status, or nullopt while it still runs after the time-out.
  std::optional<int> Wait(std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!status_) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        break;
      }
      if (std::chrono::steady_clock::now() > end) break;
      std::this_thread::sleep_for(10ms);
    }
    return status_;
  }
  void Signal(int signal) const { ::kill(pid_, signal); }

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
};

std::vector<std::string> HeadlessEnv(const std::filesystem::path& registry) {
  return {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy", "KESTROVA_REGISTRY=" + registry.string()};
}

TEST(Startup, WithoutDistributionValuesTheProgramShowsTheMessageAndExits255) {
  TempDir dir;
  Child program({(kBinDir / "kestrova").string()}, HeadlessEnv(dir / "registry.reg"), dir / "stderr.txt");
  ASSERT_TRUE(program.Started());
  EXPECT_EQ(program.Wait(20s), 255);
  EXPECT_NE(test::ReadFile(dir / "stderr.txt").find(app::kSettingsFailureMessage), std::string::npos);
}

TEST(Startup, AfterInstallationTheProgramStaysUpUntilClosed) {
  TempDir dir;
  const auto registry = dir / "registry.reg";
  {
    // Profile values written before the installer runs must survive it.
    platform::Registry r(registry);
    r.SetString(app::kProfileKey, L"strLogin", L"kept");
    ASSERT_TRUE(r.Flush());
  }
  Child install({(kBinDir / "kestrova-install").string(), "--affiliate", "5", "--link", "1"},
                HeadlessEnv(registry), dir / "install.txt");
  ASSERT_EQ(install.Wait(20s), 0) << test::ReadFile(dir / "install.txt");
  platform::Registry written(registry);
  EXPECT_EQ(written.QueryDword(app::kDistributionKey, L"AffiliateID"), 5U);
  EXPECT_EQ(written.QueryDword(app::kDistributionKey, L"iFriendID"), 0U);
  EXPECT_EQ(written.QueryDword(app::kDistributionKey, L"iAgregatorID"), 0U);
  EXPECT_EQ(written.QueryDword(app::kDistributionKey, L"iLinkID"), 1U);
  EXPECT_EQ(written.QueryString(app::kProfileKey, L"strLogin"), L"kept");

  Child program({(kBinDir / "kestrova").string()}, HeadlessEnv(registry), dir / "stderr.txt");
  ASSERT_TRUE(program.Started());
  EXPECT_EQ(program.Wait(1500ms), std::nullopt) << test::ReadFile(dir / "stderr.txt");
  program.Signal(SIGTERM);  // arrives as a request to close the window
  EXPECT_EQ(program.Wait(20s), 0) << test::ReadFile(dir / "stderr.txt");
}

TEST(Startup, TheInstallerRefusesBadValuesAndLeavesTheFileAlone) {
  TempDir dir;
  const auto registry = dir / "registry.reg";
  Child install({(kBinDir / "kestrova-install").string(), "--friend", "12abc"}, HeadlessEnv(registry),
                dir / "install.txt");
  EXPECT_EQ(install.Wait(20s), 2);
  EXPECT_FALSE(std::filesystem::exists(registry));
}

TEST(Startup, InProcessTheFirstScreenIsPaintedFromTheShippedFilesAndClosingEndsWithZero) {
  TempDir dir;
  {
    platform::Registry r(dir / "registry.reg");
    r.SetDword(app::kDistributionKey, L"AffiliateID", 2);
    r.SetDword(app::kDistributionKey, L"iFriendID", 0);
    r.SetDword(app::kDistributionKey, L"iAgregatorID", 0);
    r.SetDword(app::kDistributionKey, L"iLinkID", 0);
    ASSERT_TRUE(r.Flush());
  }
  ::setenv("SDL_VIDEODRIVER", "dummy", 1);
  // A Spanish session: the first start speaks Spanish.
  const test::ScopedEnvironment language("LANGUAGE", nullptr);
  const test::ScopedEnvironment all("LC_ALL", nullptr);
  const test::ScopedEnvironment messages("LC_MESSAGES", nullptr);
  const test::ScopedEnvironment lang("LANG", "es_ES.UTF-8");
  app::CKestrovaApp::Options options;
  options.registryFile = dir / "registry.reg";
  options.programDirectory = kBinDir;
  app::CKestrovaApp application(options);

  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(application.InitInstance());
  const auto* view = application.Frame()->View();
  ASSERT_NE(view, nullptr);
  EXPECT_GE(view->PaintCount(), 1);
  const auto firstPaint = std::chrono::steady_clock::now() - start;
  RecordProperty("first_paint_ms",
                 static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(firstPaint).count()));

  EXPECT_FALSE(application.Frame()->GetWindow()->FullScreen());  // the dummy display is a desktop
  EXPECT_EQ(application.Frame()->GetWindow()->ClientRect().Width(), 240);
  EXPECT_EQ(resources::Strings().Language(), resources::kLanguageSpanish);
  EXPECT_GT(resources::Strings().Count(resources::kLanguageFrench), 100U);
  EXPECT_GE(resources::Skins().Count(), 54U);
  const std::uint8_t* png = nullptr;
  EXPECT_GT(resources::Skins().Find(L"bg_top_line.png", &png), 0U);
  EXPECT_EQ(application.Document()->settings.apiBaseUrl.empty(), false);

  // A first start opens the language choice; below its four rows lies the
  // plain background, RGB(102,102,102) in RGB565.
  // It preselects the session's language; title and soft keys speak it.
  EXPECT_EQ(application.Frame()->View()->Screens().CurrentId(), ui::kLanguageScreen);
  EXPECT_EQ(application.Frame()->View()->Screens().Current()->Selection(), resources::kLanguageSpanish - 1);
  const platform::Bitmap& picture = view->Picture();
  ASSERT_FALSE(picture.Empty());
  const auto pixel = picture.Pixel(120, 220);
  EXPECT_EQ(pixel, ((102U >> 3U) << 11U) | ((102U >> 2U) << 5U) | (102U >> 3U));

  application.Loop()->Post(application.Frame(), platform::WM_CLOSE, 0, 0);
  EXPECT_EQ(application.Loop()->Run(), 0);
  EXPECT_EQ(application.Frame()->View(), nullptr);
}

}  // namespace
}  // namespace kestrova
