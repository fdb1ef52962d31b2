// The video catalogue, messages and help against kestrova-server: folder
// paging, the favourites folder kept in step across page boundaries, video
// details, message pages and the help; with the exact request lines.
#include "net/video_endpoints.h"

#include <gtest/gtest.h>

#include "endpoint_server.h"
#include "net/message_endpoints.h"
#include "platform/utf8.h"
#include "support/loopback_server.h"

namespace kestrova::test {
namespace {

constexpr int kFilmsFolder = 21;  // 25 videos, 1001 to 1025
constexpr int kFirstFilm = 1001;

class VideoEndpointsTest : public EndpointServerTest {
 protected:
  std::string VideosLine(int folder, int page) {
    return "/videos.php?" + SessionQuery() + "&folder_id=" + std::to_string(folder) + "&page=" + std::to_string(page) +
           "&onpage=10&lng_id=2&codepage=utf8&client=wm&dist_number=1";
  }

  // The films folder as a child of the video root, all pages loaded.
  model::ProgrammeElement& LoadFilms() {
    auto films = std::make_unique<model::ProgrammeElement>();
    films->id = kFilmsFolder;
    films->type = model::ProgrammeElement::kFolderType;
    films->parentFolder = Doc().videoRoot.get();
    Doc().videoRoot->children.push_back(std::move(films));
    model::ProgrammeElement& folder = *Doc().videoRoot->children.back();
    for (int call = 0; call < 3; ++call) EXPECT_EQ(net::Videos(Doc().Api(), folder, 0, net::kNormalFirstChild)->ok, 1);
    return folder;
  }

  model::ProgrammeElement& Film(model::ProgrammeElement& films, int id) {
    return *films.children.at(static_cast<std::size_t>(id - kFirstFilm));
  }

  // Ids of the favourites folder as the server lists them, all pages.
  std::vector<int> ServerFavourites() {
    std::vector<int> ids;
    for (int page = 1; page <= 3; ++page) {
      const Answer answer = api_->Get("/videos.php?user_id=" + std::to_string(Doc().userId) +
                                      "&key=" + platform::EncodeUtf8(Doc().sessionKey) + "&folder_id=-1&page=" +
                                      std::to_string(page) + "&onpage=10&lng_id=2");
      for (const auto* element : Children(answer.Root("videos"), "element")) ids.push_back(IntAttr(element, "id"));
    }
    return ids;
  }

  static std::vector<int> Ids(const model::ProgrammeElement& folder) {
    std::vector<int> ids;
    for (const auto& child : folder.children) ids.push_back(child->id);
    return ids;
  }
};

TEST_F(VideoEndpointsTest, AFolderOfTwentyFiveLoadsInThreePagesAndThenStops) {
  ASSERT_NO_FATAL_FAILURE(RegisterAndLogIn());
  ClearRequests();
  model::ProgrammeElement& films = LoadFilms();
  EXPECT_EQ(films.total, 25);
  ASSERT_EQ(films.children.size(), 25U);
  EXPECT_EQ(net::Videos(Doc().Api(), films, 0, net::kNormalFirstChild)->ok, 1);
  EXPECT_EQ(Requests(), (std::vector<std::string>{VideosLine(kFilmsFolder, 1), VideosLine(kFilmsFolder, 2),
                                                  VideosLine(kFilmsFolder, 3)}));
  for (std::size_t i = 0; i < films.children.size(); ++i) {
    EXPECT_EQ(films.children[i]->id, kFirstFilm + static_cast<int>(i));
    EXPECT_EQ(films.children[i]->parentFolder, &films);
  }

  // The root reload makes the favourites folder its first child and loads
  // it; the root's own page then skips the server's favourites entry.
  model::ProgrammeElement& root = *Doc().videoRoot;
  root.children.clear();
  ClearRequests();
  ASSERT_EQ(net::Videos(Doc().Api(), root, 1, net::kMakeFavouritesChild)->ok, 1);
  ASSERT_EQ(root.children.size(), 1U);
  EXPECT_EQ(root.children.front()->id, model::ProgrammeElement::kFavouritesFolderId);
  ASSERT_EQ(net::Videos(Doc().Api(), root, 1, net::kNormalFirstChild)->ok, 1);
  const std::vector<int> rootIds = Ids(root);
  EXPECT_EQ(std::count(rootIds.begin(), rootIds.end(), model::ProgrammeElement::kFavouritesFolderId), 1);
  EXPECT_GE(rootIds.size(), 3U);
  EXPECT_EQ(Requests(), (std::vector<std::string>{VideosLine(-1, 1), VideosLine(0, 1)}));

  std::unique_ptr<model::ProgrammeElement> detail;
  ClearRequests();
  ASSERT_EQ(net::VideoDetails(Doc().Api(), 1004, detail)->ok, 1);
  ASSERT_NE(detail, nullptr);
  EXPECT_EQ(detail->id, 1004);
  EXPECT_FALSE(detail->previewLink.empty());
  const auto unknown = net::VideoDetails(Doc().Api(), 5, detail);
  EXPECT_EQ(unknown->errorId, 1201);
  EXPECT_EQ(detail, nullptr);
  EXPECT_EQ(Requests()[0], "/video.php?" + SessionQuery() +
                               "&lng_id=2&codepage=utf8&client=wm&dist_number=1"
                               "&video_id=1004");
}

TEST_F(VideoEndpointsTest, FavouritesStayInStepWithTheServerAcrossPageBoundaries) {
  ASSERT_NO_FATAL_FAILURE(RegisterAndLogIn());
  model::ProgrammeElement& root = *Doc().videoRoot;
  ASSERT_EQ(net::Videos(Doc().Api(), root, 1, net::kMakeFavouritesChild)->ok, 1);
  model::ProgrammeElement& favourites = *root.children.front();
  model::ProgrammeElement& films = LoadFilms();

  ClearRequests();
  ASSERT_EQ(net::ToggleFavorite(Doc().Api(), Film(films, 1001))->ok, 1);
  EXPECT_EQ(Requests(),
            (std::vector<std::string>{"/add_favorite.php?item_id=1001&" + SessionQuery() +
                                          "&favorite=1&lng_id=2&type=vid&codepage=utf8&client=wm&dist_number=1",
                                      VideosLine(-1, 1)}));
  // Up to a full page the copies are added here; past it they come with
  // the next page, which follows the full one even though the folder was
  // complete when it was loaded.
  for (int id = 1002; id <= 1012; ++id) ASSERT_EQ(net::ToggleFavorite(Doc().Api(), Film(films, id))->ok, 1) << id;
  EXPECT_EQ(favourites.total, 12);
  EXPECT_EQ(favourites.children.size(), 10U);
  ClearRequests();
  ASSERT_EQ(net::Videos(Doc().Api(), favourites, 0, net::kNormalFirstChild)->ok, 1);
  EXPECT_EQ(Requests(), (std::vector<std::string>{VideosLine(-1, 2)}));
  EXPECT_EQ(Ids(favourites), ServerFavourites());
  EXPECT_EQ(Film(films, 1007).favorite, 1);

  ClearRequests();
  ASSERT_EQ(net::ToggleFavorite(Doc().Api(), Film(films, 1003))->ok, 1);
  EXPECT_EQ(Requests(), (std::vector<std::string>{"/add_favorite.php?item_id=1003&" + SessionQuery() +
                                                  "&favorite=0&lng_id=2&type=vid&codepage=utf8&client=wm"
                                                  "&dist_number=1"}));
  EXPECT_EQ(Film(films, 1003).favorite, 0);
  for (int id = 1013; id <= 1021; ++id) ASSERT_EQ(net::ToggleFavorite(Doc().Api(), Film(films, id))->ok, 1) << id;
  ASSERT_EQ(favourites.children.size(), 20U);
  EXPECT_EQ(Ids(favourites), ServerFavourites());

  // Removing the record the favourites screen shows: it is kept aside, and
  // the second page is fetched again without a gap or a repeat.
  model::ProgrammeElement& shown = *favourites.children[4];
  ASSERT_EQ(shown.id, 1006);
  ASSERT_EQ(net::ToggleFavorite(Doc().Api(), shown)->ok, 1);
  ASSERT_EQ(Doc().detachedVideos.size(), 1U);
  EXPECT_EQ(Doc().detachedVideos.front().get(), &shown);
  EXPECT_EQ(Film(films, 1006).favorite, 0);
  EXPECT_EQ(favourites.total, 19);
  EXPECT_EQ(Ids(favourites), ServerFavourites());
  EXPECT_EQ(favourites.children.size(), 19U);
  // Nothing is left to fetch.
  ClearRequests();
  EXPECT_EQ(net::Videos(Doc().Api(), favourites, 0, net::kNormalFirstChild)->ok, 1);
  EXPECT_TRUE(Requests().empty());
}

using MessageEndpointsTest = EndpointServerTest;

TEST_F(MessageEndpointsTest, MessagesGrowByPagesUntilTheTotalAndRestart) {
  ASSERT_NO_FATAL_FAILURE(RegisterAndLogIn());
  const std::string line = "/messenger.php?codepage=utf8&" + SessionQuery() + "&page=";
  const std::string tail = "&client=wm&lng_id=2&dist_number=1";
  ClearRequests();
  ASSERT_EQ(net::Messages(Doc().Api(), 0, 0)->ok, 1);
  ASSERT_EQ(Doc().messages.size(), 10U);
  const int total = Doc().messageTotal;
  ASSERT_GT(total, 10);
  ASSERT_LE(total, 20);
  EXPECT_EQ(Doc().messagePage, 2);
  ASSERT_EQ(net::Messages(Doc().Api(), 0, 0)->ok, 1);
  EXPECT_EQ(Doc().messages.size(), static_cast<std::size_t>(total));
  EXPECT_EQ(net::Messages(Doc().Api(), 0, 0)->ok, 1);  // complete: no request
  EXPECT_EQ(Requests(), (std::vector<std::string>{line + "1" + tail, line + "2" + tail}));

  ClearRequests();
  ASSERT_EQ(net::Messages(Doc().Api(), 1, 1)->ok, 1);
  EXPECT_EQ(Doc().messages.size(), 10U);
  EXPECT_EQ(Requests(), (std::vector<std::string>{line + "0" + tail}));
}

TEST_F(MessageEndpointsTest, HelpThemesAndTextsLoadOnce) {
  ASSERT_NO_FATAL_FAILURE(RegisterAndLogIn());
  EXPECT_EQ(net::HelpTexts(Doc().Api(), nullptr)->ok, 0);
  ClearRequests();
  ASSERT_EQ(net::HelpThemes(Doc().Api())->ok, 1);
  ASSERT_GE(Doc().helpThemes.size(), 3U);
  EXPECT_EQ(net::HelpThemes(Doc().Api())->ok, 1);
  model::HelpThemeRecord& theme = *Doc().helpThemes[1];
  ASSERT_EQ(net::HelpTexts(Doc().Api(), &theme)->ok, 1);
  ASSERT_FALSE(theme.texts.empty());
  EXPECT_FALSE(theme.texts.front()->subject.empty());
  EXPECT_EQ(net::HelpTexts(Doc().Api(), &theme)->ok, 1);
  EXPECT_EQ(Requests(), (std::vector<std::string>{
                            "/help_themes.php?" + SessionQuery() + "&lng_id=2&codepage=utf8&client=wm&dist_number=1",
                            "/help_texts.php?" + SessionQuery() + "&theme_id=" + std::to_string(theme.id) +
                                "&lng_id=2&codepage=utf8&client=wm&dist_number=1"}));
}

class VideoAnswersTest : public ::testing::Test {
 protected:
  LoopbackServer server_;
  TestDocument doc_{server_.WideBaseUrl()};
};

TEST_F(VideoAnswersTest, AFavouriteThatGotNoAnswerLeavesTheFavouritesFolderAlone) {
  model::ProgrammeElement& root = *doc_->videoRoot;
  server_.Serve("/videos.php", "<videos total=\"1\"><element type=\"Video\" id=\"7\" favorite=\"1\"/></videos>");
  ASSERT_EQ(net::Videos(doc_.Doc().Api(), root, 1, net::kMakeFavouritesChild)->ok, 1);
  model::ProgrammeElement& favourites = *root.children.front();
  auto video = std::make_unique<model::ProgrammeElement>();
  video->id = 8;
  model::ProgrammeElement& film = *video;
  root.children.push_back(std::move(video));

  server_.Serve("/add_favorite.php", "busy", 503);
  EXPECT_EQ(net::ToggleFavorite(doc_.Doc().Api(), film)->ok, 0);
  EXPECT_EQ(film.favorite, 0);
  EXPECT_EQ(favourites.children.size(), 1U);
  EXPECT_EQ(favourites.total, 1);

  server_.Serve("/add_favorite.php", "<add_favorite current_status=\"1\"/>");
  EXPECT_EQ(net::ToggleFavorite(doc_.Doc().Api(), film)->ok, 1);
  EXPECT_EQ(film.favorite, 1);
  ASSERT_EQ(favourites.children.size(), 2U);
  EXPECT_EQ(favourites.children.back()->parentFolder, &favourites);
  EXPECT_EQ(favourites.total, 2);
}

TEST_F(VideoAnswersTest, MessagesWithTotalZeroAskAgainOnlyWhenTheListIsEmpty) {
  server_.Serve("/messenger.php", "<messenger total=\"0\"/>");
  ASSERT_EQ(net::Messages(doc_.Doc().Api(), 0, 0)->ok, 1);
  ASSERT_EQ(net::Messages(doc_.Doc().Api(), 0, 0)->ok, 1);
  EXPECT_EQ(server_.RequestCount(), 2U);
  server_.Serve("/messenger.php", "<messenger total=\"0\"><message id=\"1\" header=\"h\" text=\"t\"/></messenger>");
  ASSERT_EQ(net::Messages(doc_.Doc().Api(), 0, 0)->ok, 1);
  ASSERT_EQ(net::Messages(doc_.Doc().Api(), 0, 0)->ok, 1);
  EXPECT_EQ(server_.RequestCount(), 3U);
  EXPECT_EQ(doc_->messages.size(), 1U);
}

}  // namespace
}  // namespace kestrova::test
