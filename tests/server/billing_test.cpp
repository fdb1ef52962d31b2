// Billing scripts: balance, subscriptions, video purchases, gift codes,
// feedback and short numbers.
#include "support/server_fixture.h"

namespace kestrova::test {
namespace {

using BillingTest = ServerTest;

std::string Subscribe(const Session& s, int id) {
  return "/subscribe_channel.php?id=" + std::to_string(id) + "&" + s.Query() +
         "&lng_id=2&codepage=utf8&client=wm&dist_number=1";
}

std::string BuyInfo(const Session& s, int video, const char* type, const char* lng = "2") {
  return "/buy_info.php?" + s.Query() + "&video_id=" + std::to_string(video) + "&type=" + type + "&lng_id=" + lng +
         "&codepage=utf8&client=wm&dist_number=1";
}

std::string Gift(const Session& s, const std::string& code) {
  return "/gifts.php?code=" + code + "&" + s.Query() + "&lng_id=2&codepage=utf8&client=wm&dist_number=1";
}

const tinyxml2::XMLElement* ChannelEntry(const Answer& answer, int id) {
  for (const auto* c : Children(answer.Root("channels"), "channel")) {
    if (IntAttr(c, "id") == id) return c;
  }
  return nullptr;
}

TEST_F(BillingTest, GiftCodesCreditTheBalanceOnce) {
  const Session s = api_->Register();
  EXPECT_EQ(api_->Balance(s), 0);
  const Answer activated = api_->Get(Gift(s, "welcome"));  // codes match in any case
  ASSERT_NE(activated.Root("activated"), nullptr) << activated.body;
  EXPECT_NE(Attr(activated.Root("activated"), "message").find("50"), std::string::npos);
  EXPECT_EQ(api_->Balance(s), 50);
  EXPECT_EQ(api_->Get(Gift(s, "WELCOME")).ErrorId(), 1402);
  EXPECT_EQ(api_->Get(Gift(s, "NOSUCHCODE")).ErrorId(), 1401);
  EXPECT_EQ(api_->Get(Gift(s, "")).ErrorId(), 1401);
  EXPECT_EQ(api_->Balance(s), 50);

  // A code limited to one activation serves the first account only.
  const Session other = api_->Register();
  EXPECT_NE(api_->Get(Gift(s, "LUCKY1")).Root("activated"), nullptr);
  EXPECT_EQ(api_->Get(Gift(other, "LUCKY1")).ErrorId(), 1402);
  EXPECT_EQ(api_->Balance(other), 0);
  EXPECT_EQ(api_->Balance(s), 60);
}

TEST_F(BillingTest, SubscriptionNeedsTheBalanceAndIsChargedOnce) {
  const Session s = api_->Register();
  const Answer poor = api_->Get(Subscribe(s, 111));
  EXPECT_EQ(poor.ErrorId(), 1301);
  EXPECT_EQ(poor.ErrorText(), "Not enough credit: 25 needed, your balance is 0.");
  const Answer ru = api_->Get("/subscribe_channel.php?id=111&" + s.Query() + "&lng_id=1");
  EXPECT_EQ(ru.ErrorText(), "Недостаточно средств: нужно 25, на счёте 0.");
  const Answer before = api_->Get("/catchan.php?" + s.Query() + "&folder_id=4&lng_id=02");
  EXPECT_EQ(IntAttr(ChannelEntry(before, 111), "free"), 0);

  api_->Get(Gift(s, "WELCOME"));
  const Answer done = api_->Get(Subscribe(s, 111));
  const auto* root = done.Root("subscribe");
  ASSERT_NE(root, nullptr) << done.body;
  EXPECT_FALSE(Attr(root, "message").empty());
  EXPECT_EQ(IntAttr(root->FirstChildElement("channel"), "subscribe_period"), 30);
  EXPECT_EQ(IntAttr(root->FirstChildElement("channel"), "subscribe_balance"), 25);
  EXPECT_EQ(Attr(root->FirstChildElement("channel"), "price"), "25");
  const Answer after = api_->Get("/catchan.php?" + s.Query() + "&folder_id=4&lng_id=02");
  const auto* entry = ChannelEntry(after, 111);
  EXPECT_EQ(IntAttr(entry, "free"), 1);
  EXPECT_EQ(IntAttr(entry, "can_buy"), 0);

  EXPECT_NE(api_->Get(Subscribe(s, 111)).Root("subscribe"), nullptr);  // already running: no charge
  EXPECT_EQ(api_->Balance(s), 25);
  // The package costs 60: not enough left; a free channel costs nothing.
  EXPECT_EQ(api_->Get(Subscribe(s, 114)).ErrorId(), 1301);
  EXPECT_NE(api_->Get(Subscribe(s, 102)).Root("subscribe"), nullptr);
  EXPECT_EQ(api_->Balance(s), 25);
  EXPECT_EQ(api_->Get(Subscribe(s, 4242)).ErrorId(), 1201);
  EXPECT_EQ(api_->Get(Subscribe(s, 1)).ErrorId(), 1201);  // a free folder is not sold
}

TEST_F(BillingTest, BuyInfoChargesOnceAndListsQualities) {
  const Session s = api_->Register();
  EXPECT_EQ(api_->Get(BuyInfo(s, 1003, "pl")).ErrorId(), 1301);
  // A programme entry that is no on-demand video: 1501, checking the balance will not help.
  const Answer not_for_sale = api_->Get(BuyInfo(s, 2003, "pl", "1"));
  EXPECT_EQ(not_for_sale.ErrorId(), 1501);
  EXPECT_EQ(not_for_sale.ErrorText(), "Эта передача недоступна для просмотра по запросу.");
  EXPECT_EQ(api_->Get(BuyInfo(s, 987654, "pl")).ErrorId(), 1201);
  EXPECT_EQ(api_->Get(BuyInfo(s, 1003, "rent")).ErrorId(), 1002);

  // A free documentary needs no balance.
  EXPECT_NE(api_->Get(BuyInfo(s, 1201, "pl")).Root("buy_info"), nullptr);

  api_->Get(Gift(s, "WELCOME"));
  const Answer play = api_->Get(BuyInfo(s, 1003, "pl"));
  const auto play_qualities = Children(play.Root("buy_info"), "quality");
  ASSERT_EQ(play_qualities.size(), 3u) << play.body;
  EXPECT_EQ(IntAttr(play_qualities[0], "id"), 2);
  EXPECT_NE(Attr(play_qualities[0], "size").find("MB"), std::string::npos);
  EXPECT_EQ(api_->Balance(s), 47);
  EXPECT_NE(api_->Get(BuyInfo(s, 1003, "pl")).Root("buy_info"), nullptr);
  EXPECT_EQ(api_->Balance(s), 47);  // bought once

  const Answer download = api_->Get(BuyInfo(s, 1003, "dwn"));
  const auto formats = Children(download.Root("buy_info"), "quality");
  ASSERT_EQ(formats.size(), 2u);
  EXPECT_EQ(IntAttr(formats[0], "id"), 12);
  EXPECT_EQ(api_->Balance(s), 42);

  const Answer purchases = api_->Get("/videos.php?" + s.Query() + "&folder_id=-2&page=1&onpage=10&lng_id=2");
  std::vector<int> ids;
  for (const auto* e : Children(purchases.Root("videos"), "element")) {
    ids.push_back(IntAttr(e, "id"));
    if (IntAttr(e, "id") == 1003) {
      EXPECT_EQ(IntAttr(e, "play_buyed"), 1);
      EXPECT_EQ(IntAttr(e, "dwn_buyed"), 1);
    }
  }
  EXPECT_EQ(ids, (std::vector<int>{1201, 1003}));
}

TEST_F(BillingTest, FeedbackTravelsInTheTextHeader) {
  const Session s = api_->Register();
  const std::string path = "/feedback.php?" + s.Query() + "&email=me@example.org&phone=+4412345&lng_id=2"
                           "&codepage=utf8&client=wm&dist_number=1";
  const Answer sent = api_->Get(path, {{"Text", "Great <service> & \"thanks\""}});
  ASSERT_NE(sent.Root("feedback"), nullptr) << sent.body;
  EXPECT_FALSE(Attr(sent.Root("feedback"), "message").empty());
  EXPECT_EQ(api_->Get(path).ErrorId(), 1001);
  EXPECT_EQ(api_->Get(path, {{"Text", "   "}}).ErrorId(), 1001);
  EXPECT_EQ(api_->Get(path, {{"Text", std::string(5000, 'a')}}).ErrorId(), 1003);
  EXPECT_EQ(api_->Get("/feedback.php?" + s.Query() + "&phone=1", {{"Text", "hi"}}).ErrorId(), 1001);
}

TEST_F(BillingTest, ShortNumbersFollowTheOperatorsCountry) {
  const Session s = api_->Register();
  const std::string path = "/shortnumbers.php?" + s.Query() + "&lng_id=2&codepage=utf8&provider_id=";
  const Answer ru_answer = api_->Get(path + "101&client=wm&dist_number=1");
  const auto ru = Children(ru_answer.Root("shortnumbers"), "shortnumber");
  ASSERT_EQ(ru.size(), 2u);
  EXPECT_EQ(Attr(ru[1], "price"), "90 RUB");
  EXPECT_EQ(IntAttr(ru[1], "credit"), 100);
  EXPECT_EQ(IntAttr(ru[1], "number"), 4443);
  const Answer gb_answer = api_->Get(path + "401");
  const auto gb = Children(gb_answer.Root("shortnumbers"), "shortnumber");
  ASSERT_EQ(gb.size(), 1u);
  EXPECT_EQ(IntAttr(gb[0], "number"), 60999);
  // No operator and no country yet: an empty list, not an error.
  const Answer none = api_->Get(path + "-1");
  ASSERT_NE(none.Root("shortnumbers"), nullptr) << none.body;
  EXPECT_TRUE(Children(none.Root("shortnumbers"), "shortnumber").empty());
  EXPECT_EQ(api_->Get(path + "x").ErrorId(), 1002);
}

}  // namespace
}  // namespace kestrova::test
