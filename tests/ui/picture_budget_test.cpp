// The catalogue's pictures within one memory budget: a level with more logos
// than the budget holds keeps what fits, the logos shown least recently make
// room for the ones scrolled to, those on screen stay, and the first logos
// come back (fetched again) when the list is scrolled back to the top.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/kestrova_doc.h"
#include "model/catalogue_records.h"
#include "model/picture_budget.h"
#include "net/picture_download.h"
#include "support/loopback_server.h"
#include "support/picture_files.h"
#include "support/ui_harness.h"
#include "ui/screen_ids.h"
#include "ui/screens/channel_folders_screen.h"

namespace kestrova::test {
namespace {

constexpr std::uint32_t VK_DOWN = 40;
constexpr int kRowsPerPage = 8;

// The decoded bytes the entries really hold.
std::size_t HeldBytes(const model::FolderNode& level) {
  std::size_t bytes = 0;
  for (const auto& entry : level.entries) {
    bytes += static_cast<std::size_t>(entry->logoImage.Width()) * static_cast<std::size_t>(entry->logoImage.Height()) *
             sizeof(std::uint32_t);
  }
  return bytes;
}

TEST(PictureBudget, ALevelOfMoreLogosThanTheBudgetHoldsScrollsEndToEndAndShowsItsFirstLogosAgain) {
  UiHarness ui(KESTROVA_BIN_DIR);
  ASSERT_TRUE(ui.Started());
  LoopbackServer pictures;
  const std::vector<std::uint8_t> png = EncodePng(DiscPicture(net::kLogoMaxWidth, net::kLogoMaxHeight, 0xFF00FF00U));
  LoopbackReply reply;
  reply.body.assign(png.begin(), png.end());
  reply.contentType = "image/png";
  pictures.Serve("/logo.png", reply);

  app::CKestrovaDoc& data = ui.Document();
  const std::size_t logoBytes = std::size_t{net::kLogoMaxWidth} * net::kLogoMaxHeight * sizeof(std::uint32_t);
  const int count = static_cast<int>(data.pictures.Limit() / logoBytes) + 3 * kRowsPerPage;
  model::FolderNode& level = *data.currentFolder;
  for (int i = 0; i < count; ++i) {
    auto entry = std::make_unique<model::CatalogueItem>();
    entry->id = i + 1;
    entry->name = L"Channel " + std::to_wstring(i + 1);
    entry->logoLink = pictures.WideBaseUrl() + L"/logo.png";
    entry->logoSize = static_cast<int>(png.size());
    level.entries.push_back(std::move(entry));
  }
  // As the catalogue command leaves the level: the first logos, as many as
  // fit; the others are left for when they are shown.
  net::FetchFolderLogos(data.Network(), data, level);
  const auto fetched = pictures.RequestCount();
  EXPECT_LT(fetched, static_cast<std::size_t>(count));
  EXPECT_LE(data.pictures.Held(), model::kPictureBudgetBytes);
  EXPECT_EQ(HeldBytes(level), data.pictures.Held());
  EXPECT_FALSE(level.entries.front()->logoImage.Empty());
  EXPECT_TRUE(level.entries.back()->logoImage.Empty());
  EXPECT_EQ(level.entries.back()->logoDropped, 1);

  const auto pageShown = [&level](int first) {
    for (int i = first; i < first + kRowsPerPage && i < static_cast<int>(level.entries.size()); ++i) {
      if (level.entries[static_cast<std::size_t>(i)]->logoImage.Empty()) return false;
    }
    return true;
  };
  auto& screen = dynamic_cast<ui::screens::ChannelFoldersScreen&>(*ui.Screens().GetScreen(ui::kChannelFoldersScreen));
  ui.Show(ui::kChannelFoldersScreen);
  screen.SelectEntry(0);  // enters the level
  ui.Paint();
  ASSERT_TRUE(pageShown(0));

  // Down the whole list: every page's logos come (those beyond the budget
  // fetched as they are shown), and the budget is never exceeded.
  // The selection goes down row by row; from the eighth on, it is the
  // bottom row of the page shown.
  for (int selected = 0; selected < count - 1;) {
    for (int step = 0; step < kRowsPerPage && selected < count - 1; ++step, ++selected) ui.Press(VK_DOWN);
    const int first = std::max(selected - kRowsPerPage + 1, 0);
    ASSERT_TRUE(ui.RunUntil([&] { return pageShown(first); })) << first;
    ASSERT_LE(data.pictures.Held(), model::kPictureBudgetBytes) << first;
    ASSERT_LE(HeldBytes(level), data.pictures.Held()) << first;
  }
  EXPECT_TRUE(pageShown(count - kRowsPerPage));  // the page on screen keeps its logos
  EXPECT_GT(pictures.RequestCount(), fetched);
  // The first logos, shown least recently, made room.
  EXPECT_TRUE(level.entries.front()->logoImage.Empty());
  EXPECT_EQ(level.entries.front()->logoDropped, 1);

  // Back at the top, the first logos are fetched again and drawn.
  const auto before = pictures.RequestCount();
  screen.SelectEntry(0);
  ui.Paint();
  ASSERT_TRUE(ui.RunUntil([&] { return pageShown(0); }));
  EXPECT_GE(pictures.RequestCount(), before + kRowsPerPage);
  EXPECT_LE(data.pictures.Held(), model::kPictureBudgetBytes);
  EXPECT_TRUE(ui.RunUntilIdle());
}

}  // namespace
}  // namespace kestrova::test
