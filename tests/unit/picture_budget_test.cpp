// The pictures' memory budget on the class itself: pictures on screen never
// make room, the least recently shown go first, and a picture that cannot fit
// beside those on screen is refused without dropping anything.
#include <gtest/gtest.h>

#include <vector>

#include "model/picture_budget.h"

namespace kestrova::test {
namespace {

using model::PictureBudget;
using model::PictureKey;

TEST(PictureBudgetClass, OnScreenPicturesStayTheLeastRecentlyShownMakeRoomAndWhatCannotFitIsRefused) {
  PictureBudget budget(100);
  const int holders[4] = {};
  const PictureKey a = PictureKey::Of(&holders[0]), b = PictureKey::Of(&holders[1]);
  const PictureKey c = PictureKey::Of(&holders[2]), d = PictureKey::Of(&holders[3]);
  std::vector<PictureKey> dropped;
  ASSERT_TRUE(budget.Admit(a, 40, dropped));
  ASSERT_TRUE(budget.Admit(b, 40, dropped));
  // a is drawn: b, shown less recently, makes room for c.
  budget.StartFrame();
  budget.Touch(a);
  ASSERT_TRUE(budget.Admit(c, 40, dropped));
  EXPECT_EQ(dropped, std::vector<PictureKey>{b});
  EXPECT_EQ(budget.Held(), 80u);

  // a and c on screen: d cannot fit beside them and nothing is dropped.
  dropped.clear();
  budget.StartFrame();
  budget.Touch(a);
  budget.Touch(c);
  EXPECT_FALSE(budget.Admit(d, 40, dropped));
  EXPECT_FALSE(budget.Admit(d, 101, dropped));
  EXPECT_TRUE(dropped.empty());
  EXPECT_FALSE(budget.Holds(d));
  EXPECT_EQ(budget.Held(), 80u);

  // The next frame shows only c: a makes room; a key admitted again is
  // counted once.
  budget.StartFrame();
  budget.Touch(c);
  ASSERT_TRUE(budget.Admit(d, 40, dropped));
  EXPECT_EQ(dropped, std::vector<PictureKey>{a});
  ASSERT_TRUE(budget.Admit(d, 50, dropped));
  EXPECT_EQ(budget.Held(), 90u);
  budget.Forget(c);
  budget.Forget(c);
  EXPECT_EQ(budget.Held(), 50u);
}

}  // namespace
}  // namespace kestrova::test
