// Drives the real program through the screens of the way in and saves each
// one as a picture, in English and in Russian. With KESTROVA_SCREENSHOT_DIR
// set the pictures go there (scripts/screenshots writes docs/screenshots
// this way), else into the test's folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/kestrova_doc.h"
#include "journey_fixture.h"

namespace kestrova::test {
namespace {

using ScreenshotTour = JourneyTest;

class Tour {
 public:
  Tour(UiHarness& ui, std::filesystem::path dir, std::string language)
      : ui_(ui), dir_(std::move(dir)), language_(std::move(language)) {}

  void Shoot(const std::string& name) {
    ui_.Paint();
    const auto file = dir_ / (name + "-" + language_ + ".png");
    EXPECT_TRUE(ui_.SavePng(file, 2)) << file;
  }

 private:
  UiHarness& ui_;
  std::filesystem::path dir_;
  std::string language_;
};

void TakeTour(UiHarness& ui, Tour& tour, int languageRow) {
  ASSERT_EQ(ui.Screens().CurrentId(), ui::kLanguageScreen);
  SelectRow(ui, languageRow);
  tour.Shoot("00-language");
  ui.Press(platform::VK_RETURN);
  tour.Shoot("01-login-welcome");
  ui.KeyUp(platform::VK_F1);
  ASSERT_TRUE(ui.RunUntilScreen(ui::kCountryScreen));
  tour.Shoot("02-countries");
  app::CKestrovaDoc& doc = ui.Document();
  for (std::size_t i = 0; i < doc.countries.size(); ++i) {
    if (doc.countries[i]->code == L"RU") SelectRow(ui, static_cast<int>(i));
  }
  ui.Press(platform::VK_RETURN);
  ASSERT_TRUE(ui.RunUntilScreen(ui::kOperatorScreen));
  tour.Shoot("03-operators");
  ui.Press(platform::VK_RETURN);
  ASSERT_TRUE(ui.RunUntilScreen(ui::kZoneScreen));
  SelectRow(ui, 9);
  tour.Shoot("04-zones");
  ui.Press(platform::VK_RETURN);
  ASSERT_TRUE(ui.RunUntilScreen(ui::kMainMenuScreen));
  tour.Shoot("05-main-menu-notice");
  for (std::size_t i = 0; i <= doc.messages.size(); ++i) ui.Press(platform::VK_RETURN);
  ui.Press(platform::VK_RIGHT);
  tour.Shoot("05-main-menu");
  ui.Press(platform::VK_RETURN);
  tour.Shoot("06-settings");
  SelectRow(ui, 5);
  ui.Press(platform::VK_RETURN);
  tour.Shoot("06-settings-log-out");
  ui.KeyUp(platform::VK_F2);
  SelectRow(ui, 3);
  ui.Press(platform::VK_RETURN);
  tour.Shoot("00-language-from-settings");
  ui.KeyUp(platform::VK_F2);
}

TEST_F(ScreenshotTour, EveryScreenOfTheWayInInEnglishAndRussian) {
  const auto dir = ScreenshotFolder();
  for (const auto& [language, row] : {std::pair{std::string("en"), 0}, std::pair{std::string("ru"), 1}}) {
    UiHarness ui(KESTROVA_BIN_DIR, AtServer());
    ASSERT_TRUE(ui.Started());
    Tour tour(ui, dir, language);
    TakeTour(ui, tour, row);
    // The login form with an account, from the settings' log-out.
    ASSERT_EQ(ui.Screens().CurrentId(), ui::kSettingsScreen);
    SelectRow(ui, 5);
    ui.Press(platform::VK_RETURN);
    ui.KeyUp(platform::VK_F1);
    ASSERT_EQ(ui.Screens().CurrentId(), ui::kLoginScreen);
    tour.Shoot("01-login");
  }
}

}  // namespace
}  // namespace kestrova::test
