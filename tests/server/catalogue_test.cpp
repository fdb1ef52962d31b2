// Catalogue scripts: channels, programme, videos with paging and favourites,
// messages, help and the pictures.
#include <SDL.h>
#include <SDL_image.h>

#include <ctime>
#include <set>

#include "support/server_fixture.h"

namespace kestrova::test {
namespace {

using CatalogueTest = ServerTest;

constexpr std::string_view kPngSignature = "\x89PNG\r\n\x1a\n";

// "HH:MM", "MM:SS" or "H:MM:SS" as a count of the smallest unit.
int Minutes(const std::string& text) {
  int value = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t colon = std::min(text.find(':', start), text.size());
    value = value * 60 + std::stoi(text.substr(start, colon - start));
    start = colon + 1;
  }
  return value;
}

std::string Catchan(const Session& s, int folder, const char* lng = "02") {
  return "/catchan.php?user_id=" + std::to_string(s.user_id) + "&folder_id=" + std::to_string(folder) +
         "&affiliate_id=0&key=" + s.key + "&lng_id=" + lng + "&codepage=utf8";
}

std::string VideosPath(const Session& s, int folder, int page, int on_page = 10) {
  return "/videos.php?" + s.Query() + "&folder_id=" + std::to_string(folder) + "&page=" + std::to_string(page) +
         "&onpage=" + std::to_string(on_page) + "&lng_id=2&codepage=utf8&client=wm&dist_number=1";
}

std::string Favourite(const Session& s, int video, int on) {
  return "/add_favorite.php?item_id=" + std::to_string(video) + "&" + s.Query() + "&favorite=" + std::to_string(on) +
         "&lng_id=2&type=vid&codepage=utf8&client=wm&dist_number=1";
}

std::vector<int> Ids(const Answer& answer, const char* root, const char* child) {
  std::vector<int> ids;
  for (const auto* e : Children(answer.Root(root), child)) ids.push_back(IntAttr(e, "id"));
  return ids;
}

TEST_F(CatalogueTest, ChannelFoldersWithLogosAndAPaidPackage) {
  const Session s = api_->Register();
  const Answer root = api_->Get(Catchan(s, 0));
  ASSERT_NE(root.Root("channels"), nullptr) << root.body;
  EXPECT_EQ(IntAttr(root.Root("channels"), "free"), 1);
  const auto folders = Children(root.Root("channels"), "folder");
  ASSERT_GE(folders.size(), 4u);

  int channels = 0;
  int paid_channels = 0;
  bool package_seen = false;
  std::vector<const tinyxml2::XMLElement*> all_entries(folders.begin(), folders.end());
  for (const auto* folder : folders) {
    const Answer answer = api_->Get(Catchan(s, IntAttr(folder, "id")));
    const auto* node = answer.Root("channels");
    ASSERT_NE(node, nullptr) << answer.body;
    if (IntAttr(node, "free") == 0) {
      package_seen = true;
      EXPECT_EQ(Attr(node, "smsnumber"), "7733");
      EXPECT_EQ(Attr(node, "smstext"), "KINO");
      EXPECT_FALSE(Attr(node, "msg").empty());
      EXPECT_EQ(IntAttr(node, "showtop"), 1);
    }
    for (const auto* channel : Children(node, "channel")) {
      ++channels;
      for (const char* a : {"id", "name", "logo_link", "logo_size", "have_video", "can_buy", "free", "have_program",
                            "description", "favorites"}) {
        EXPECT_NE(channel->Attribute(a), nullptr) << a;
      }
      if (IntAttr(channel, "free") == 0 && IntAttr(channel, "can_buy") == 1) ++paid_channels;
      // The client reads exactly logo_size bytes: the size must be the file's.
      const std::string link = Attr(channel, "logo_link");
      const auto logo = api_->Raw(link.substr(link.find("/logos/")));
      ASSERT_TRUE(logo);
      EXPECT_EQ(logo->status, 200);
      EXPECT_EQ(static_cast<int>(logo->body.size()), IntAttr(channel, "logo_size")) << link;
      EXPECT_EQ(logo->body.substr(0, 8), kPngSignature);
    }
  }
  EXPECT_GE(channels, 12);
  EXPECT_GE(paid_channels, 1);
  EXPECT_TRUE(package_seen);
  EXPECT_EQ(api_->Get(Catchan(s, 999)).ErrorId(), 1201);
  EXPECT_EQ(api_->Raw("/logos/channel_999.png")->status, 404);

  // Names follow the language.
  const Answer ru = api_->Get(Catchan(s, 1, "01"));
  EXPECT_EQ(Attr(ru.Root("channels")->FirstChildElement("channel"), "name"), "Жаворонок 24");
}

TEST_F(CatalogueTest, ProgrammeBlocksForAWeekAndTheirElements) {
  const Session s = api_->Register();
  const std::string blocks = "/blocks.php?" + s.Query() + "&zone_id=7&date=";
  const std::string tail = "&channel_id=102&lng_id=2&codepage=utf8&client=wm&dist_number=1";
  for (int day = 0; day < 7; ++day) {
    const Answer answer = api_->Get(blocks + DateText(day) + tail);
    const auto list = Children(answer.Root("blocks"), "block");
    ASSERT_EQ(list.size(), 24u) << DateText(day) << answer.body;
    EXPECT_EQ(Attr(answer.Root("blocks"), "end_trs"), "23:59");
    for (std::size_t i = 0; i < list.size(); ++i) {
      EXPECT_EQ(Minutes(Attr(list[i], "start")), static_cast<int>(i) * 60);
      EXPECT_FALSE(Attr(list[i], "name").empty());
    }
  }

  const Answer today = api_->Get(blocks + DateText(0) + tail);
  const int block_id = IntAttr(Children(today.Root("blocks"), "block")[8], "id");
  const Answer elements = api_->Get("/block.php?block_id=" + std::to_string(block_id) + "&" + s.Query() +
                                    "&lng_id=2&codepage=utf8&client=wm&dist_number=1");
  const auto entries = Children(elements.Root("block"), "element");
  ASSERT_GE(entries.size(), 2u) << elements.body;
  EXPECT_NE(Attr(entries[0], "type"), "Video");  // the heading
  int previous = -1;
  int total = 0;
  for (std::size_t i = 1; i < entries.size(); ++i) {
    EXPECT_EQ(Attr(entries[i], "type"), "Video");
    const int start = Minutes(Attr(entries[i], "start"));  // minutes and seconds within the block
    EXPECT_GT(start, previous);
    EXPECT_LT(start, 60 * 60);
    previous = start;
    total += Minutes(Attr(entries[i], "length"));
    EXPECT_FALSE(Attr(entries[i], "preview_link").empty());
  }
  EXPECT_EQ(total, 60 * 60);  // the shows fill the hour

  EXPECT_EQ(api_->Get(blocks + "5-3-2024" + tail).ErrorId(), 1002);
  EXPECT_EQ(api_->Get(blocks + "2024-03-05" + tail).ErrorId(), 1002);
  EXPECT_EQ(api_->Get(blocks + "31-02-2024" + tail).ErrorId(), 1002);
  const Answer past = api_->Get(blocks + "05-03-2024" + tail);
  EXPECT_EQ(Children(past.Root("blocks"), "block").size(), 24u);
  EXPECT_EQ(api_->Get(blocks + DateText(0) + "&channel_id=5&lng_id=2").ErrorId(), 1201);
  EXPECT_EQ(api_->Get("/block.php?block_id=1020000099&" + s.Query()).ErrorId(), 1201);
  EXPECT_EQ(api_->Get("/block.php?block_id=-7&" + s.Query()).ErrorId(), 1201);
}

TEST_F(CatalogueTest, NowAndNextAroundTheCurrentTime) {
  const Session s = api_->Register();
  const std::string path = "/block.php?" + s.Query() + "&lng_id=2&codepage=utf8&client=wm&dist_number=1&block_id=-1"
                           "&channel_id=108&type=";
  const Answer next = api_->Get(path + "next");
  const Answer last = api_->Get(path + "last");
  const auto upcoming = Children(next.Root("block"), "element");
  const auto past = Children(last.Root("block"), "element");
  ASSERT_FALSE(upcoming.empty()) << next.body;
  ASSERT_FALSE(past.empty()) << last.body;
  EXPECT_LE(upcoming.size(), 6u);
  EXPECT_LE(past.size(), 6u);
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const int minute = local.tm_hour * 60 + local.tm_min;
  // The first "next" entry is on air: it started before now (or at midnight
  // yesterday's entries end) and the last "last" entry started before it.
  const int first_start = Minutes(Attr(upcoming.front(), "start"));
  EXPECT_TRUE(first_start <= minute || first_start > minute + 60) << first_start << " " << minute;
  for (const auto* e : upcoming) EXPECT_EQ(Attr(e, "type"), "Video");
  EXPECT_EQ(api_->Get(path + "soon").ErrorId(), 1002);
  EXPECT_EQ(api_->Get("/block.php?" + s.Query() + "&block_id=-1&channel_id=108").ErrorId(), 1001);
}

TEST_F(CatalogueTest, VideosComeInPagesOfTheRequestedSize) {
  const Session s = api_->Register();
  const Answer root = api_->Get(VideosPath(s, 0, 1));
  const auto root_ids = Ids(root, "videos", "element");
  ASSERT_GE(root_ids.size(), 3u) << root.body;
  EXPECT_EQ(root_ids[0], -1);  // favourites first
  EXPECT_EQ(root_ids[1], -2);  // then the purchases
  EXPECT_EQ(IntAttr(root.Root("videos"), "total"), static_cast<int>(root_ids.size()));

  std::set<int> seen;
  const std::vector<std::size_t> expected = {10, 10, 5, 0};
  for (int page = 1; page <= 4; ++page) {
    const Answer answer = api_->Get(VideosPath(s, 21, page));
    EXPECT_EQ(IntAttr(answer.Root("videos"), "total"), 25);
    const auto elements = Children(answer.Root("videos"), "element");
    EXPECT_EQ(elements.size(), expected[static_cast<std::size_t>(page - 1)]) << page;
    for (const auto* e : elements) {
      EXPECT_EQ(Attr(e, "type"), "Video");
      EXPECT_TRUE(seen.insert(IntAttr(e, "id")).second);
      EXPECT_EQ(Attr(e, "preview_link"), "http://127.0.0.1:" + std::to_string(server_->Port()) + "/previews/" +
                                             Attr(e, "id") + "/");
      EXPECT_FALSE(Attr(e, "play_price").empty());
      EXPECT_EQ(Attr(e, "favorite"), "0");
    }
  }
  EXPECT_EQ(seen.size(), 25u);

  // Sub-folders come before the videos of a folder.
  const Answer series = api_->Get(VideosPath(s, 22, 1));
  EXPECT_EQ(Attr(series.Root("videos")->FirstChildElement("element"), "type"), "Folder");
  const Answer one = api_->Get(VideosPath(s, 21, 1, 0));
  EXPECT_EQ(Children(one.Root("videos"), "element").size(), 1u);
  EXPECT_EQ(api_->Get(VideosPath(s, 777, 1)).ErrorId(), 1201);
  EXPECT_EQ(api_->Get("/videos.php?" + s.Query() + "&folder_id=21&page=abc").ErrorId(), 1002);

  const Answer details = api_->Get("/video.php?" + s.Query() + "&lng_id=1&codepage=utf8&client=wm&dist_number=1"
                                   "&video_id=1001");
  EXPECT_EQ(Attr(details.Root("video"), "name"), "Последний маяк");
  EXPECT_EQ(Attr(details.Root("video"), "type"), "Video");
  EXPECT_EQ(api_->Get("/video.php?" + s.Query() + "&video_id=5").ErrorId(), 1201);
}

TEST_F(CatalogueTest, FavouritesAcrossPageBoundaries) {
  const Session s = api_->Register();
  const Session other = api_->Register();
  for (int id = 1001; id <= 1012; ++id) {
    const Answer answer = api_->Get(Favourite(s, id, 1));
    EXPECT_EQ(IntAttr(answer.Root("add_favorite"), "current_status"), 1) << answer.body;
  }
  EXPECT_EQ(IntAttr(api_->Get(Favourite(s, 1005, 1)).Root("add_favorite"), "current_status"), 1);  // twice: once
  const Answer page1 = api_->Get(VideosPath(s, -1, 1));
  EXPECT_EQ(IntAttr(page1.Root("videos"), "total"), 12);
  EXPECT_EQ(Ids(page1, "videos", "element"), (std::vector<int>{1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008,
                                                                1009, 1010}));
  EXPECT_EQ(Ids(api_->Get(VideosPath(s, -1, 2)), "videos", "element"), (std::vector<int>{1011, 1012}));

  // Removing one from the first page pulls the next one up.
  EXPECT_EQ(IntAttr(api_->Get(Favourite(s, 1003, 0)).Root("add_favorite"), "current_status"), 0);
  const Answer after = api_->Get(VideosPath(s, -1, 1));
  EXPECT_EQ(IntAttr(after.Root("videos"), "total"), 11);
  EXPECT_EQ(Ids(after, "videos", "element").back(), 1011);
  EXPECT_EQ(Ids(api_->Get(VideosPath(s, -1, 2)), "videos", "element"), (std::vector<int>{1012}));

  // The flag shows wherever the video appears, for its own account only.
  const Answer films = api_->Get(VideosPath(s, 21, 1));
  for (const auto* e : Children(films.Root("videos"), "element")) {
    EXPECT_EQ(IntAttr(e, "favorite"), IntAttr(e, "id") == 1003 ? 0 : 1);
  }
  EXPECT_EQ(Attr(api_->Get("/video.php?" + s.Query() + "&video_id=1004").Root("video"), "favorite"), "1");
  EXPECT_EQ(IntAttr(api_->Get(VideosPath(other, -1, 1)).Root("videos"), "total"), 0);

  EXPECT_EQ(api_->Get(Favourite(s, 99999, 1)).ErrorId(), 1201);
  EXPECT_EQ(api_->Get(Favourite(s, 1001, 2)).ErrorId(), 1002);
}

TEST_F(CatalogueTest, MessagesPageByPage) {
  const Session s = api_->Register();
  const std::string path = "/messenger.php?codepage=utf8&" + s.Query() + "&page=";
  const Answer first = api_->Get(path + "0&client=wm&lng_id=1&dist_number=1");
  const int total = IntAttr(first.Root("messenger"), "total");
  EXPECT_GT(total, 10);
  const auto page1 = Children(first.Root("messenger"), "message");
  ASSERT_EQ(page1.size(), 10u);
  EXPECT_EQ(Attr(page1[0], "header"), "Добро пожаловать в Kestrova");  // the account's own notice comes first
  EXPECT_NE(Attr(page1[0], "text").find(s.login), std::string::npos);
  // Page 0 and page 1 are both the first page.
  EXPECT_EQ(Ids(api_->Get(path + "1&client=wm&lng_id=1"), "messenger", "message"), Ids(first, "messenger", "message"));
  std::set<int> ids;
  for (int page = 1; page * 10 < total + 10; ++page) {
    for (const int id : Ids(api_->Get(path + std::to_string(page) + "&lng_id=2"), "messenger", "message")) {
      EXPECT_TRUE(ids.insert(id).second) << id;
    }
  }
  EXPECT_EQ(static_cast<int>(ids.size()), total);
  const Answer beyond = api_->Get(path + "99&lng_id=2");
  EXPECT_TRUE(Children(beyond.Root("messenger"), "message").empty());
}

TEST_F(CatalogueTest, HelpThemesAndTexts) {
  const Session s = api_->Register();
  const Answer themes = api_->Get("/help_themes.php?" + s.Query() + "&lng_id=4&codepage=utf8&client=wm&dist_number=1");
  const auto list = Children(themes.Root("help_themes"), "theme");
  ASSERT_GE(list.size(), 3u);
  EXPECT_EQ(Attr(list[0], "name"), "Primeros pasos");
  for (const auto* theme : list) {
    const Answer texts = api_->Get("/help_texts.php?" + s.Query() + "&theme_id=" + Attr(theme, "id") +
                                   "&lng_id=4&codepage=utf8&client=wm&dist_number=1");
    const auto entries = Children(texts.Root("help_texts"), "text");
    ASSERT_FALSE(entries.empty()) << texts.body;
    EXPECT_FALSE(Attr(entries[0], "subject").empty());
    EXPECT_FALSE(Attr(entries[0], "text").empty());
  }
  EXPECT_EQ(api_->Get("/help_texts.php?" + s.Query() + "&theme_id=77").ErrorId(), 1201);
}

TEST_F(CatalogueTest, NumberedPreviewPicturesDecode) {
  std::set<std::string> pictures;
  for (int n = 1; n <= 6; ++n) {
    const auto jpeg = api_->Raw("/previews/1001/" + std::to_string(n) + ".jpg");
    ASSERT_TRUE(jpeg);
    ASSERT_EQ(jpeg->status, 200);
    EXPECT_EQ(jpeg->get_header_value("Content-Type"), "image/jpeg");
    SDL_RWops* rw = SDL_RWFromConstMem(jpeg->body.data(), static_cast<int>(jpeg->body.size()));
    SDL_Surface* image = IMG_Load_RW(rw, 1);
    ASSERT_NE(image, nullptr) << IMG_GetError();
    EXPECT_EQ(image->w, 176);
    EXPECT_EQ(image->h, 144);
    SDL_FreeSurface(image);
    pictures.insert(jpeg->body);
  }
  EXPECT_EQ(pictures.size(), 6u);  // each number its own picture
  EXPECT_EQ(api_->Raw("/previews/1001/7.jpg")->status, 404);
  EXPECT_EQ(api_->Raw("/previews/1001/0.jpg")->status, 404);
  EXPECT_EQ(api_->Raw("/previews/424242/1.jpg")->status, 404);
  EXPECT_EQ(api_->Raw("/previews/2003/1.jpg")->status, 200);  // a programme entry has pictures too
}

}  // namespace
}  // namespace kestrova::test
