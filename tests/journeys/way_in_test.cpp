// The way in, as a new user takes it against a real server: language,
// welcome, registration, location, the main menu with its notices, the
// settings, the exit; then a second start that logs in by itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/kestrova_doc.h"
#include "journey_fixture.h"
#include "ui/screens/login_screen.h"
#include "ui/screens/main_menu_screen.h"
#include "ui/screens/settings_screen.h"

namespace kestrova::test {
namespace {

using WayInTest = JourneyTest;
using namespace std::chrono_literals;

constexpr int kNoticeTitle = 44;

// Median time of a key press up to the finished repaint, in microseconds.
long MedianPressMicros(UiHarness& ui, std::uint32_t first, std::uint32_t second) {
  std::vector<long> times;
  for (int i = 0; i < 20; ++i) {  // pairs, so the selection ends where it began
    const auto start = std::chrono::steady_clock::now();
    ui.Press(i % 2 == 0 ? first : second);
    times.push_back(static_cast<long>(
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count()));
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// The resident memory of the process, in KiB (0 when unknown).
long ResidentKib() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return 0;
}

int IndexOfCountry(app::CKestrovaDoc& doc, const std::wstring& code) {
  for (std::size_t i = 0; i < doc.countries.size(); ++i) {
    if (doc.countries[i]->code == code) return static_cast<int>(i);
  }
  return -1;
}

TEST_F(WayInTest, FirstStartRegistersChoosesALocationReadsTheNoticesAndTheSecondStartLogsInByItself) {
  UiHarness::Options options = AtServer();
  const std::filesystem::path registry = dir_ / "client.reg";
  options.registryFile = registry;
  {
    UiHarness ui(KESTROVA_BIN_DIR, options);
    ASSERT_TRUE(ui.Started());
    EXPECT_EQ(ui.Screens().CurrentId(), ui::kLanguageScreen);

    // English; the login form greets with the offer to register.
    ui.Press(platform::VK_RETURN);
    ASSERT_EQ(ui.Screens().CurrentId(), ui::kLoginScreen);
    EXPECT_EQ(ui.PopupTitle(), resources::Strings().Get(kNoticeTitle));
    ui.KeyUp(platform::VK_F1);  // register
    ASSERT_TRUE(ui.RunUntilScreen(ui::kCountryScreen)) << ui.PopupTitle();
    app::CKestrovaDoc& doc = ui.Document();
    EXPECT_EQ(doc.settings.login.size(), 8U);
    const auto* login = dynamic_cast<ui::screens::LoginScreen*>(ui.Screens().GetScreen(ui::kLoginScreen));
    EXPECT_EQ(login->LoginText(), doc.settings.login);
    const auto registering = TakeRequests();
    EXPECT_TRUE(Contains(registering, "new_user.php"));
    EXPECT_TRUE(Contains(registering, "version.php"));
    EXPECT_TRUE(Contains(registering, "countries.php"));

    RecordProperty("country_list_key_to_repaint_us", MedianPressMicros(ui, platform::VK_DOWN, platform::VK_UP));

    // Russia, its first operator, its first zone.
    const int russia = IndexOfCountry(doc, L"RU");
    ASSERT_GE(russia, 0);
    SelectRow(ui, russia);
    ui.Press(platform::VK_RETURN);
    ASSERT_TRUE(ui.RunUntilScreen(ui::kOperatorScreen));
    ASSERT_FALSE(doc.operators.empty());
    ui.Press(platform::VK_RETURN);
    ASSERT_TRUE(ui.RunUntilScreen(ui::kZoneScreen));
    ASSERT_FALSE(doc.zones.empty());
    SelectRow(ui, static_cast<int>(doc.zones.size()) - 1);
    EXPECT_TRUE(ui.Screens().Current()->Rows().back().visible);
    ui.Press(platform::VK_RETURN);
    ASSERT_TRUE(ui.RunUntilScreen(ui::kMainMenuScreen)) << ui.PopupTitle();
    EXPECT_EQ(doc.settings.countryCode, L"RU");
    EXPECT_EQ(doc.settings.timeZoneId, doc.zones.back()->id);
    EXPECT_FALSE(doc.channelRoot->entries.empty());

    // The service's messages, one notice after another, then the menu.
    ASSERT_FALSE(doc.messages.empty());
    for (const auto& message : doc.messages) {
      EXPECT_EQ(ui.PopupTitle(), message->header);
      ui.Press(platform::VK_RETURN);
    }
    EXPECT_FALSE(ui.PopupTitle().empty());  // the last one stays until the next key
    ui.Press(platform::VK_DOWN);
    EXPECT_TRUE(ui.PopupTitle().empty());

    // Tiles wrap left and right; up and down change rows.
    ui::Screen& menu = *ui.Screens().Current();
    EXPECT_EQ(menu.Selection(), 0);
    ui.Press(platform::VK_DOWN);
    EXPECT_EQ(menu.Selection(), 2);
    ui.Press(platform::VK_UP);
    ui.Press(platform::VK_LEFT);
    EXPECT_EQ(menu.Selection(), 3);
    ui.Press(platform::VK_RIGHT);
    EXPECT_EQ(menu.Selection(), 0);

    RecordProperty("main_menu_key_to_repaint_us", MedianPressMicros(ui, platform::VK_RIGHT, platform::VK_LEFT));
    RecordProperty("resident_kib_after_way_in", ResidentKib());

    // Settings: six rows with SMS payment; the quality wraps to the last.
    ui.Press(platform::VK_RIGHT);
    ui.Press(platform::VK_RETURN);
    ASSERT_EQ(ui.Screens().CurrentId(), ui::kSettingsScreen);
    auto* settings = dynamic_cast<ui::screens::SettingsScreen*>(ui.Screens().Current());
    ASSERT_EQ(settings->ItemCount(), 6);
    SelectRow(ui, 2);
    ASSERT_EQ(settings->RowAt(2), ui::screens::SettingsScreen::Row::kQuality);
    ASSERT_GE(doc.qualities.size(), 2U);
    ui.Press(platform::VK_LEFT);
    EXPECT_EQ(settings->ChosenQuality(), static_cast<int>(doc.qualities.size()) - 1);
    ui.Press(platform::VK_RIGHT);
    ui.Press(platform::VK_RIGHT);
    EXPECT_EQ(settings->ChosenQuality(), 1);
    ui.KeyUp(platform::VK_F2);
    EXPECT_EQ(ui.Screens().CurrentId(), ui::kMainMenuScreen);
    EXPECT_EQ(RegistryNumber(registry, L"iQualityID"), doc.qualities[1]->id);

    // Exit: the window closes and the settings are on disk.
    ui.KeyUp(platform::VK_F2);
    EXPECT_TRUE(ui.RunUntil([&] { return ui.App().Frame()->View() == nullptr; }, 5s));
    EXPECT_EQ(RegistryText(registry, L"strLogin").size(), 8U);
    EXPECT_EQ(RegistryText(registry, L"strCountryCode"), L"RU");
    EXPECT_EQ(RegistryNumber(registry, L"iLanguageID"), resources::kLanguageEnglish);
  }
  TakeRequests();

  // The second start logs in with the stored account and location.
  UiHarness again(KESTROVA_BIN_DIR, options);
  ASSERT_TRUE(again.Started());
  EXPECT_EQ(again.Screens().CurrentId(), ui::kLoginScreen);
  EXPECT_TRUE(again.View().AutomaticLogin());
  ASSERT_TRUE(again.RunUntilScreen(ui::kMainMenuScreen)) << again.PopupTitle();
  EXPECT_FALSE(again.View().AutomaticLogin());
  const auto requests = TakeRequests();
  EXPECT_TRUE(Contains(requests, "login.php"));
  EXPECT_TRUE(Contains(requests, "setup.php"));
  EXPECT_FALSE(Contains(requests, "countries.php"));
  EXPECT_FALSE(Contains(requests, "version.php"));
}

}  // namespace
}  // namespace kestrova::test
