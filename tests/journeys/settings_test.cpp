// The settings after the way in: language change and its cancel, a new
// location, a save that cannot be written, logging out; and a result that
// comes back for a screen the user has left.
#include <gtest/gtest.h>

#include "app/kestrova_doc.h"
#include "journey_fixture.h"
#include "model/command_ids.h"

namespace kestrova::test {
namespace {

using SettingsJourney = JourneyTest;

constexpr int kLanguageRow = 3;
constexpr int kLocationRow = 4;
constexpr int kLogOutRow = 5;

TEST_F(SettingsJourney, LanguageLocationAndLogOutFromTheSettings) {
  UiHarness ui(KESTROVA_BIN_DIR, AtServer());
  ASSERT_TRUE(RegisterThroughTheForms(ui));
  app::CKestrovaDoc& doc = ui.Document();
  ui.Press(platform::VK_RIGHT);
  const int settingsEntry = ui.Screens().Current()->Selection();
  ui.Press(platform::VK_RETURN);
  ASSERT_EQ(ui.Screens().CurrentId(), ui::kSettingsScreen);

  // Russian, confirmed by the server; then Spanish, cancelled.
  SelectRow(ui, kLanguageRow);
  ui.Press(platform::VK_RETURN);
  ASSERT_EQ(ui.Screens().CurrentId(), ui::kLanguageScreen);
  EXPECT_EQ(ui.Screens().Current()->Selection(), 0);
  ui.Press(platform::VK_DOWN);
  ui.Press(platform::VK_RETURN);
  ASSERT_TRUE(ui.RunUntilScreen(ui::kSettingsScreen));
  EXPECT_EQ(resources::Strings().Language(), resources::kLanguageRussian);
  EXPECT_EQ(doc.settings.languageId, resources::kLanguageRussian);
  EXPECT_TRUE(Contains(TakeRequests(), "update_lng_set.php"));
  ui.Press(platform::VK_RETURN);
  ui.Press(platform::VK_DOWN);
  ui.KeyUp(platform::VK_F2);
  EXPECT_EQ(ui.Screens().CurrentId(), ui::kSettingsScreen);
  EXPECT_EQ(resources::Strings().Language(), resources::kLanguageRussian);
  EXPECT_EQ(doc.settings.languageId, resources::kLanguageRussian);
  EXPECT_FALSE(Contains(TakeRequests(), "update_lng_set.php"));

  // A new location: another country, its operator and zone, back here.
  SelectRow(ui, kLocationRow);
  ui.Press(platform::VK_RETURN);
  ASSERT_TRUE(ui.RunUntilScreen(ui::kCountryScreen));
  int germany = -1;
  for (std::size_t i = 0; i < doc.countries.size(); ++i) {
    if (doc.countries[i]->code == L"DE") germany = static_cast<int>(i);
  }
  ASSERT_GE(germany, 0);
  SelectRow(ui, germany);
  ui.Press(platform::VK_RETURN);
  ASSERT_TRUE(ui.RunUntilScreen(ui::kOperatorScreen));
  ui.Press(platform::VK_RETURN);
  ASSERT_TRUE(ui.RunUntilScreen(ui::kZoneScreen));
  ui.Press(platform::VK_RETURN);
  ASSERT_TRUE(ui.RunUntilScreen(ui::kSettingsScreen)) << ui.PopupTitle();
  EXPECT_EQ(doc.settings.countryCode, L"DE");
  const auto requests = TakeRequests();
  EXPECT_TRUE(Contains(requests, "setup.php"));
  EXPECT_FALSE(Contains(requests, "messenger.php"));

  // A result for a screen that is no longer current is dropped.
  ui::Screen& login = *ui.Screens().GetScreen(ui::kLoginScreen);
  doc.SubmitRequest(model::kCommandVersion, login, false, {});
  ASSERT_TRUE(ui.RunUntilIdle());
  EXPECT_EQ(ui.Screens().CurrentId(), ui::kSettingsScreen);
  EXPECT_FALSE(login.PopupShown());

  // A save that cannot write the registry file (a folder stands in its
  // place) is told once, on the screen the user goes to; what it could not
  // write goes out with the next save that can.
  const std::filesystem::path file = ui.RegistryFile();
  const std::filesystem::path aside = file.string() + ".aside";
  std::filesystem::rename(file, aside);
  std::filesystem::create_directories(file / "in-the-way");
  for (int exit = 0; exit < 2; ++exit) {
    ui.KeyUp(platform::VK_F2);
    ASSERT_EQ(ui.Screens().CurrentId(), ui::kMainMenuScreen);
    EXPECT_EQ(ui.Screens().Current()->PopupShown(), exit == 0);
    if (exit == 0) {
      EXPECT_EQ(ui.Screens().Current()->PopupText(), resources::Strings().Get(138));
    }
    ui.Press(platform::VK_DOWN);  // closes the pop-up, or moves in the menu
    SelectRow(ui, settingsEntry);
    ui.Press(platform::VK_RETURN);
    ASSERT_EQ(ui.Screens().CurrentId(), ui::kSettingsScreen);
  }
  std::filesystem::remove_all(file);
  std::filesystem::rename(aside, file);

  // Logging out forgets the account on this device.
  SelectRow(ui, kLogOutRow);
  ui.Press(platform::VK_RETURN);
  ui.KeyUp(platform::VK_F1);
  EXPECT_EQ(ui.Screens().CurrentId(), ui::kLoginScreen);
  EXPECT_EQ(RegistryText(ui.RegistryFile(), L"strLogin"), L"");
  EXPECT_EQ(RegistryText(ui.RegistryFile(), L"strCountryCode"), L"DE");
}

}  // namespace
}  // namespace kestrova::test
