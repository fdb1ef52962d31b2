// The video catalogue, payment, gift code, messages, feedback and help
// screens as pictures, in English and Russian (with KESTROVA_SCREENSHOT_DIR
// set, into that folder, as scripts/screenshots does).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/kestrova_doc.h"
#include "journey_fixture.h"
#include "ui/screens/video_catalogue_screen.h"
#include "ui/screens/video_offer_screen.h"

namespace kestrova::test {
namespace {

using ScreenshotTour = JourneyTest;

constexpr int kFilmsFolderId = 21;
constexpr int kDocumentariesFolderId = 23;

void OpenFolder(UiHarness& ui, int id) {
  const auto& catalogue = dynamic_cast<const ui::screens::VideoCatalogueScreen&>(*ui.Screens().Current());
  for (int row = 0; row < catalogue.ItemCount(); ++row) {
    if (const auto* entry = catalogue.EntryAt(row); entry != nullptr && entry->id == id) SelectRow(ui, row);
  }
  ui.Press(platform::VK_RETURN);
  ASSERT_TRUE(ui.RunUntilScreen(ui::kVideoCatalogueScreen));
}

TEST_F(ScreenshotTour, TheVideoPaymentMessageAndHelpScreensInEnglishAndRussian) {
  const std::filesystem::path dir = ScreenshotFolder();
  for (const auto& [language, row] : {std::pair{std::string("en"), 0}, std::pair{std::string("ru"), 1}}) {
    UiHarness ui(KESTROVA_BIN_DIR, AtServer());
    ASSERT_TRUE(ui.Started());
    ui.Install<ui::screens::VideoOfferScreen>([](const std::wstring&) { return true; });
    const auto shoot = [&](const std::string& name) {
      ui.Paint();
      EXPECT_TRUE(ui.SavePng(dir / (name + "-" + language + ".png"), 2));
    };
    SelectRow(ui, row);
    ASSERT_TRUE(RegisterThroughTheForms(ui));

    // Settings: payment by SMS and the gift code.
    ui.Press(platform::VK_RIGHT);
    ui.Press(platform::VK_RETURN);
    SelectRow(ui, 0);
    ui.Press(platform::VK_RETURN);
    ASSERT_EQ(ui.Screens().CurrentId(), ui::kPaymentScreen);
    ui.Press(platform::VK_DOWN);
    shoot("07-sms-payment");
    ui.Press(platform::VK_RETURN);
    shoot("07-sms-payment-confirm");
    ui.KeyUp(platform::VK_F2);
    ui.KeyUp(platform::VK_F2);
    SelectRow(ui, 1);
    ui.Press(platform::VK_RETURN);
    ASSERT_EQ(ui.Screens().CurrentId(), ui::kGiftCodeScreen);
    ui.Type(L"SPRING25");
    shoot("08-gift-code");
    ui.Press(platform::VK_DOWN);
    ui.Press(platform::VK_RETURN);
    ASSERT_TRUE(ui.RunUntilIdle());
    shoot("08-gift-code-activated");
    ui.Press(platform::VK_RETURN);
    ui.KeyUp(platform::VK_F2);
    ui.KeyUp(platform::VK_F2);
    ASSERT_EQ(ui.Screens().CurrentId(), ui::kMainMenuScreen);

    // The video catalogue, a folder with its more-row, a video and its offers.
    ui.Press(platform::VK_LEFT);  // from the settings tile to the channels tile
    ui.Press(platform::VK_DOWN);
    ui.Press(platform::VK_RETURN);
    ASSERT_TRUE(ui.RunUntilScreen(ui::kVideoCatalogueScreen));
    shoot("15-video-catalogue");
    OpenFolder(ui, kFilmsFolderId);
    SelectRow(ui, ui.Screens().Current()->ItemCount() - 1);
    shoot("15-video-folder");
    ui.KeyUp(platform::VK_F2);
    OpenFolder(ui, kDocumentariesFolderId);
    ui.Press(platform::VK_RETURN);
    ASSERT_TRUE(ui.RunUntilIdle());
    shoot("16-video-details");
    ui.Press(platform::VK_RETURN);
    ui.KeyUp(platform::VK_F1);
    ASSERT_TRUE(ui.RunUntilScreen(ui::kVideoOfferScreen));
    shoot("17-video-offer");
    ui.KeyUp(platform::VK_F2);
    ui.KeyUp(platform::VK_F2);
    ui.KeyUp(platform::VK_F2);
    ui.KeyUp(platform::VK_F2);
    ASSERT_EQ(ui.Screens().CurrentId(), ui::kMainMenuScreen);

    // Messages, one opened, the feedback form.
    ui.Press(platform::VK_RIGHT);  // the messages tile
    ui.Press(platform::VK_RETURN);
    ASSERT_TRUE(ui.RunUntilScreen(ui::kMessagesScreen));
    shoot("18-messages");
    ui.Press(platform::VK_DOWN);
    ui.Press(platform::VK_RETURN);
    shoot("18-message");
    ui.Press(platform::VK_RETURN);
    ui.KeyUp(platform::VK_F1);
    ASSERT_EQ(ui.Screens().CurrentId(), ui::kFeedbackScreen);
    ui.Type(L"viewer@example.org");
    ui.Press(platform::VK_DOWN);
    ui.Press(platform::VK_DOWN);
    shoot("19-feedback");
    ui.KeyUp(platform::VK_F2);
    ui.KeyUp(platform::VK_F2);

    // Help themes and a theme's text.
    ui.KeyUp(platform::VK_F1);
    ASSERT_TRUE(ui.RunUntilScreen(ui::kHelpThemesScreen));
    shoot("20-help-themes");
    ui.Press(platform::VK_DOWN);
    ui.Press(platform::VK_RETURN);
    ASSERT_TRUE(ui.RunUntilScreen(ui::kHelpTextScreen));
    ui.Press(platform::VK_DOWN);
    shoot("21-help-text");
  }
}

}  // namespace
}  // namespace kestrova::test
