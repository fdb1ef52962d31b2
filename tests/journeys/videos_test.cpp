// The on-demand video catalogue against a real server: a folder of 25
// videos loaded page by page, favourites added and shown at the top, back to
// the parent with the folder we came from selected, a video's purchase
// options opening exactly one address in the browser, and stale selections
// doing nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "app/kestrova_doc.h"
#include "journey_fixture.h"
#include "resources/string_table.h"
#include "ui/screens/details_screen.h"
#include "ui/screens/video_catalogue_screen.h"
#include "ui/screens/video_offer_screen.h"

namespace kestrova::test {
namespace {

using VideosJourney = JourneyTest;
using ui::screens::VideoCatalogueScreen;

constexpr int kFilmsFolderId = 21;        // 25 videos in the server's catalogue
constexpr int kDocumentariesFolderId = 23;
constexpr int kFreeDocumentaryId = 1201;  // costs nothing to play
constexpr int kVideosPerPage = 10;
constexpr int kFilmCount = 25;
constexpr int kNoticeTitle = 44;

int Count(const std::vector<std::string>& requests, const std::string& part) {
  return static_cast<int>(
      std::count_if(requests.begin(), requests.end(), [&](const std::string& r) { return r.find(part) != std::string::npos; }));
}

VideoCatalogueScreen& Catalogue(UiHarness& ui) {
  return dynamic_cast<VideoCatalogueScreen&>(*ui.Screens().GetScreen(ui::kVideoCatalogueScreen));
}

int RowOf(const VideoCatalogueScreen& catalogue, int id) {
  for (int row = 0; row < catalogue.ItemCount(); ++row) {
    if (const model::ProgrammeElement* entry = catalogue.EntryAt(row); entry != nullptr && entry->id == id) return row;
  }
  return -1;
}

// Main menu -> the catalogue's top level.
void OpenVideos(UiHarness& ui) {
  ui.Press(platform::VK_DOWN);  // the videos tile
  ui.Press(platform::VK_RETURN);
  ASSERT_TRUE(ui.RunUntilScreen(ui::kVideoCatalogueScreen));
}

void OpenFolder(UiHarness& ui, int id) {
  const int row = RowOf(Catalogue(ui), id);
  ASSERT_GE(row, 0) << id;
  SelectRow(ui, row);
  ui.Press(platform::VK_RETURN);
  ASSERT_TRUE(ui.RunUntilScreen(ui::kVideoCatalogueScreen));
  ASSERT_EQ(Catalogue(ui).Folder()->id, id);
}

TEST_F(VideosJourney, AFolderPageByPageFavouritesAndBackToTheParent) {
  UiHarness ui(KESTROVA_BIN_DIR, AtServer());
  ASSERT_TRUE(RegisterThroughTheForms(ui));
  OpenVideos(ui);
  VideoCatalogueScreen& catalogue = Catalogue(ui);
  const model::ProgrammeElement& root = *ui.Document().videoRoot;
  // No favourites yet: their folder is hidden and counted nowhere.
  EXPECT_TRUE(catalogue.SkipsFirstEntry());
  EXPECT_EQ(catalogue.ItemCount(), static_cast<int>(root.children.size()) - 1);
  EXPECT_EQ(catalogue.EntryAt(0), root.children[1].get());
  TakeRequests();

  // 25 films: 10, then 20, then 25, the more-row last until the end.
  OpenFolder(ui, kFilmsFolderId);
  for (int loaded = kVideosPerPage; loaded < kFilmCount; loaded += kVideosPerPage) {
    ASSERT_EQ(catalogue.ItemCount(), loaded + 1);
    ASSERT_TRUE(catalogue.IsMoreRow(loaded));
    SelectRow(ui, loaded);
    const auto start = std::chrono::steady_clock::now();
    ui.Press(platform::VK_RETURN);
    ASSERT_TRUE(ui.RunUntilIdle());
    ui.Paint();
    RecordProperty("more_row_to_page_painted_ms_" + std::to_string(loaded),
                   static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now() - start).count()));
    EXPECT_EQ(ui.Screens().Current()->Selection(), loaded);  // the first new film
  }
  EXPECT_EQ(catalogue.ItemCount(), kFilmCount);
  EXPECT_FALSE(catalogue.IsMoreRow(kFilmCount - 1));
  const auto pages = TakeRequests();
  EXPECT_EQ(Count(pages, "folder_id=21&page="), 3);
  EXPECT_EQ(Count(pages, "folder_id=21&page=3"), 1);

  // Stale selections do nothing.
  ui.Screens().Current()->SetSelection(kFilmCount + 3);
  ui.Press(platform::VK_RETURN);
  ui.Press(platform::VK_RIGHT);
  EXPECT_EQ(ui.Screens().CurrentId(), ui::kVideoCatalogueScreen);
  EXPECT_TRUE(TakeRequests().empty());

  // The last film's details; marked a favourite; back to the same row.
  SelectRow(ui, kFilmCount - 1);
  const model::ProgrammeElement* film = catalogue.SelectedEntry();
  ui.Press(platform::VK_RIGHT);
  ASSERT_EQ(ui.Screens().CurrentId(), ui::kDetailsScreen);
  EXPECT_EQ(dynamic_cast<ui::screens::DetailsScreen&>(*ui.Screens().Current()).Record(), film);
  SelectRow(ui, 1);
  ui.Press(platform::VK_RETURN);
  ASSERT_TRUE(ui.RunUntilIdle());
  EXPECT_EQ(film->favorite, 1);
  ui.KeyUp(platform::VK_F2);
  ASSERT_EQ(ui.Screens().CurrentId(), ui::kVideoCatalogueScreen);
  EXPECT_EQ(catalogue.ItemCount(), kFilmCount);
  EXPECT_EQ(catalogue.SelectedEntry(), film);

  // Back to the top level: the films folder is selected, and the
  // favourites folder is shown first now that it holds the film.
  ui.KeyUp(platform::VK_F2);
  ASSERT_EQ(catalogue.Folder(), &root);
  EXPECT_FALSE(catalogue.SkipsFirstEntry());
  EXPECT_EQ(catalogue.ItemCount(), static_cast<int>(root.children.size()));
  ASSERT_NE(catalogue.SelectedEntry(), nullptr);
  EXPECT_EQ(catalogue.SelectedEntry()->id, kFilmsFolderId);
  OpenFolder(ui, model::ProgrammeElement::kFavouritesFolderId);
  ASSERT_EQ(catalogue.ItemCount(), 1);
  EXPECT_EQ(catalogue.EntryAt(0)->id, film->id);
  ui.KeyUp(platform::VK_F2);
  EXPECT_EQ(catalogue.Selection(), 0);
  ui.KeyUp(platform::VK_F2);
  EXPECT_EQ(ui.Screens().CurrentId(), ui::kMainMenuScreen);
}

TEST_F(VideosJourney, AnOfferOpensExactlyOneAddressInTheBrowser) {
  UiHarness ui(KESTROVA_BIN_DIR, AtServer());
  std::vector<std::wstring> opened;
  bool browserStarts = true;
  ui.Install<ui::screens::VideoOfferScreen>([&](const std::wstring& url) {
    opened.push_back(url);
    return browserStarts;
  });
  ASSERT_TRUE(RegisterThroughTheForms(ui));
  OpenVideos(ui);
  OpenFolder(ui, kDocumentariesFolderId);
  SelectRow(ui, RowOf(Catalogue(ui), kFreeDocumentaryId));
  ui.Press(platform::VK_RETURN);
  ASSERT_EQ(ui.Screens().CurrentId(), ui::kDetailsScreen);

  // Watch: the purchase question, then the options.
  ui.Press(platform::VK_RETURN);
  EXPECT_EQ(ui.PopupTitle(), resources::Strings().Get(kNoticeTitle));
  ui.KeyUp(platform::VK_F1);
  ASSERT_TRUE(ui.RunUntilScreen(ui::kVideoOfferScreen)) << ui.PopupTitle();
  const model::ProgrammeElement& video =
      *dynamic_cast<ui::screens::VideoOfferScreen&>(*ui.Screens().Current()).Video();
  ASSERT_EQ(video.id, kFreeDocumentaryId);
  ASSERT_GE(ui.Screens().Current()->ItemCount(), 2);
  EXPECT_TRUE(opened.empty());

  SelectRow(ui, 1);
  ui.Press(platform::VK_RETURN);
  app::CKestrovaDoc& doc = ui.Document();
  ASSERT_EQ(opened.size(), 1U);
  const std::wstring expected = doc.controlLink + L"orva1201.3gp?user_id=" + std::to_wstring(doc.userId) +
                                L"&user_key=" + doc.sessionKey + L"&quality=" +
                                std::to_wstring(video.purchaseQualities[1]->id) +
                                L"&client_type=java&query_type=getvid_ondemand&video_id=1201";
  EXPECT_EQ(opened.front(), expected);
  EXPECT_EQ(ui.PopupTitle(), L"");

  // A browser that cannot be started is reported; a stale selection opens nothing.
  browserStarts = false;
  ui.Press(platform::VK_RETURN);
  EXPECT_EQ(ui.PopupTitle(), resources::Strings().Get(ui::kPopupErrorTitle));
  ui.Press(platform::VK_RETURN);
  ui.Screens().Current()->SetSelection(9);
  ui.Press(platform::VK_RETURN);
  EXPECT_EQ(ui.PopupTitle(), L"");
  EXPECT_EQ(opened.size(), 2U);
  ui.KeyUp(platform::VK_F2);
  ASSERT_EQ(ui.Screens().CurrentId(), ui::kDetailsScreen);

  // Watching it again shows the same options at once, without a request.
  TakeRequests();
  SelectRow(ui, 0);
  ui.Press(platform::VK_RETURN);
  ASSERT_TRUE(ui.RunUntilIdle());
  EXPECT_EQ(ui.Screens().CurrentId(), ui::kVideoOfferScreen);
  EXPECT_EQ(ui.PopupTitle(), L"");
  EXPECT_EQ(Count(TakeRequests(), "buy_info.php"), 0);
}

}  // namespace
}  // namespace kestrova::test
