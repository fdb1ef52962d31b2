// Pictures of a sample list screen, a pop-up over it and a form with the
// edit box, made through
// the harness. With KESTROVA_SCREENSHOT_DIR set they are written there
// (docs/screenshots is made this way), else into a temporary folder.
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/sample_screens.h"
#include "support/ui_harness.h"
#include "ui_test_support.h"

namespace kestrova::test {
namespace {

std::filesystem::path ScreenshotDir(const TempDir& fallback) {
  const char* dir = std::getenv("KESTROVA_SCREENSHOT_DIR");
  return dir != nullptr && *dir != '\0' ? std::filesystem::path(dir) : fallback.Path();
}

TEST(Screenshots, ListScreenAndPopup) {
  TempDir temp;
  const auto dir = ScreenshotDir(temp);
  UiHarness ui(kBinDir);
  ASSERT_TRUE(ui.Started());
  auto& list = ui.Install<SampleListScreen>(9, SampleChannelRows());
  ui.Show(9);
  ui.Press(platform::VK_DOWN);
  ui.Press(platform::VK_DOWN);
  ui.Press(platform::VK_DOWN);
  ASSERT_TRUE(ui.SavePng(dir / "list-screen.png", 2));

  list.ShowPopupById(true, 44, L"Subscribe to Sports Live for 7 days? The price is charged to your account balance.",
                     21, 22);
  ui.Paint();
  ASSERT_TRUE(ui.SavePng(dir / "popup.png", 2));
  EXPECT_TRUE(std::filesystem::exists(dir / "list-screen.png"));
}

TEST(Screenshots, FormWithTheEditBox) {
  TempDir temp;
  const auto dir = ScreenshotDir(temp);
  UiHarness ui(kBinDir);
  ASSERT_TRUE(ui.Started());
  ui.Install<SampleFormScreen>();
  ui.Show(ui::kLoginScreen);
  ui.Type(L"subscriber@example.org");
  ui.Press(platform::VK_DOWN);
  ui.Type(L"secret");
  ASSERT_TRUE(ui.SavePng(dir / "form.png", 2));
}

}  // namespace
}  // namespace kestrova::test
