// The program's screens as the view installs them: every place filled, each
// screen describing itself by its traits, and the navigation table naming
// only installed screens and reaching and leaving every one of them.
#include <gtest/gtest.h>

#include <set>

#include "support/ui_harness.h"
#include "ui/screens/screen_navigator.h"
#include "ui_test_support.h"

namespace kestrova::test {
namespace {

TEST(ScreenCatalogue, EveryScreenDescribesItselfAndTheNavigationTableReachesAndLeavesEachOne) {
  UiHarness ui(kBinDir);
  ASSERT_TRUE(ui.Started());
  std::set<int> reached;
  std::set<int> left;
  for (const auto& [from, to] : ui::screens::ScreenNavigator::Moves()) {
    EXPECT_NE(ui.Screens().GetScreen(from), nullptr) << from << " -> " << to;
    EXPECT_NE(ui.Screens().GetScreen(to), nullptr) << from << " -> " << to;
    left.insert(from);
    reached.insert(to);
  }
  for (int id = 0; id < ui::kScreenCount; ++id) {
    ui::Screen* screen = ui.Screens().GetScreen(id);
    ASSERT_NE(screen, nullptr) << id;
    EXPECT_EQ(screen->Id(), id);
    EXPECT_TRUE(reached.contains(id)) << id;
    EXPECT_TRUE(left.contains(id)) << id;

    // Forms are the screens with a native edit box; the main menu and the
    // player have their own backgrounds; only the details screen (its
    // slideshow) works every second.
    EXPECT_EQ(screen->IsForm(), id == ui::kLoginScreen || id == ui::kGiftCodeScreen || id == ui::kFeedbackScreen)
        << id;
    const platform::Colour background = id == ui::kPlayerScreen     ? platform::Rgb(0, 0, 0)
                                        : id == ui::kMainMenuScreen ? platform::Rgb(81, 81, 82)
                                                                    : ui::kScreenBackground;
    EXPECT_EQ(screen->Background(), background) << id;
    EXPECT_EQ(screen->RunSecondStep(), id == ui::kDetailsScreen) << id;
  }
}

}  // namespace
}  // namespace kestrova::test
