// Billing endpoints against kestrova-server: request lines, the balance,
// subscriptions, purchase options with their repeat rules and the
// bought-videos folder, gift codes and feedback.
#include <memory>
#include <string>

#include "billing/billing_endpoints.h"
#include "billing_fixture.h"
#include "model/catalogue_records.h"
#include "model/programme_records.h"
#include "net/endpoint.h"

namespace kestrova::test {
namespace {

using billing::BuyType;

class BillingEndpointsTest : public BillingFixture {
 protected:
  std::unique_ptr<model::ProgrammeElement> Video(int id) {
    auto video = std::make_unique<model::ProgrammeElement>();
    video->id = id;
    video->name = L"video";
    return video;
  }
  // Adds a bought-videos folder (-2) with `count` children to the video tree.
  model::ProgrammeElement& PurchasedFolder(int count) {
    auto folder = std::make_unique<model::ProgrammeElement>();
    folder->id = billing::kPurchasedVideosFolderId;
    folder->parentFolder = Doc().videoRoot.get();
    folder->total = count;
    for (int i = 0; i < count; ++i) {
      auto child = std::make_unique<model::ProgrammeElement>();
      child->id = 5000 + i;
      child->parentFolder = folder.get();
      folder->children.push_back(std::move(child));
    }
    Doc().videoRoot->children.push_back(std::move(folder));
    return *Doc().videoRoot->children.back();
  }
  void Credit() { ASSERT_NE(api_->Get("/gifts.php?code=WELCOME&" + session_.Query()).Root("activated"), nullptr); }
};

TEST_F(BillingEndpointsTest, ShortNumbersAndBalanceSendTheirRequestLinesAndFillTheDocument) {
  Doc().settings.operatorId = 101;
  Doc().shortNumbers.push_back(std::make_unique<model::ShortNumberRecord>());  // an old list is replaced
  auto result = billing::ShortNumbers(Doc().Api());
  EXPECT_EQ(result->ok, 1);
  ASSERT_EQ(Doc().shortNumbers.size(), 2u);
  EXPECT_EQ(Doc().shortNumbers[1]->price, L"90 RUB");
  EXPECT_EQ(Doc().shortNumbers[1]->credit, 100);
  EXPECT_EQ(Doc().shortNumbers[1]->number, 4443);
  EXPECT_FALSE(Doc().shortNumbers[0]->prefix.empty());

  // No operator: the empty list is still a good answer.
  Doc().settings.operatorId = -1;
  EXPECT_EQ(billing::ShortNumbers(Doc().Api())->ok, 1);
  EXPECT_TRUE(Doc().shortNumbers.empty());

  Credit();
  Doc().accountBalance = -5;
  EXPECT_EQ(billing::Bill(Doc().Api())->ok, 1);
  EXPECT_EQ(Doc().accountBalance, 50);

  EXPECT_EQ(Requests(), (std::vector<std::string>{
                            "/shortnumbers.php?" + Common() + "&lng_id=2&codepage=utf8&provider_id=101&client=wm"
                                                              "&dist_number=1",
                            "/shortnumbers.php?" + Common() + "&lng_id=2&codepage=utf8&provider_id=-1&client=wm"
                                                              "&dist_number=1",
                            "/gifts.php?code=*&user_id=" + std::to_string(session_.user_id) + "&key=*&affiliate_id=0",
                            "/bill.php?" + Common() + "&lng_id=1&codepage=utf8&client=wm&dist_number=1",
                        }));
}

TEST_F(BillingEndpointsTest, BadKeyAndDeadServerFailWithoutTouchingTheBalance) {
  Doc().accountBalance = 17;
  Doc().sessionKey = L"wrong";
  auto refused = billing::Bill(Doc().Api());
  EXPECT_EQ(refused->ok, 0);
  EXPECT_NE(refused->errorId, 0);
  EXPECT_FALSE(refused->message.empty());
  EXPECT_EQ(Doc().accountBalance, 17);

  Doc().settings.apiBaseUrl = L"http://127.0.0.1:1";  // nothing listens there
  auto dead = billing::Bill(Doc().Api());
  EXPECT_EQ(dead->ok, 0);
  EXPECT_EQ(dead->errorId, 0);
  EXPECT_EQ(dead->message, resources::Strings().Get(net::kGenericFailureTextId));
  EXPECT_EQ(Doc().accountBalance, 17);
  // A gift code that reached no server was not activated.
  auto gift = billing::Gifts(Doc().Api(), L"WELCOME");
  EXPECT_EQ(gift->ok, 0);
  EXPECT_EQ(gift->message, resources::Strings().Get(net::kGenericFailureTextId));
}

TEST_F(BillingEndpointsTest, SubscriptionNeedsTheBalanceAndStoresTheChannelsTerms) {
  model::CatalogueItem channel;
  channel.id = 111;
  EXPECT_EQ(billing::SubscribeChannel(Doc().Api(), nullptr)->ok, 0);

  auto poor = billing::SubscribeChannel(Doc().Api(), &channel);
  EXPECT_EQ(poor->ok, 0);
  EXPECT_EQ(poor->errorId, 1301);
  EXPECT_EQ(poor->message, L"Not enough credit: 25 needed, your balance is 0.");
  EXPECT_EQ(channel.subscribePeriod, 0);

  Credit();
  auto done = billing::SubscribeChannel(Doc().Api(), &channel);
  EXPECT_EQ(done->ok, 1);
  EXPECT_FALSE(done->message.empty());
  EXPECT_NE(done->message, resources::Strings().Get(net::kGenericFailureTextId));
  EXPECT_EQ(channel.subscribePeriod, 30);
  EXPECT_EQ(channel.subscribeBalance, 25);
  EXPECT_EQ(channel.price, L"25");

  const std::string line = "/subscribe_channel.php?id=111&" + Common() +
                           "&lng_id=2&codepage=utf8&client=wm&dist_number=1";
  const auto lines = Requests();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], line);
  EXPECT_EQ(lines[2], line);
}

TEST_F(BillingEndpointsTest, BuyInfoAsksOncePerKindAndAppendsDownloadOptions) {
  Credit();
  auto video = Video(1003);
  auto play = billing::BuyInfo(Doc().Api(), video.get(), BuyType::kPlay);
  EXPECT_EQ(play->ok, 1);
  EXPECT_EQ(play->secondary, 0);
  ASSERT_EQ(video->purchaseQualities.size(), 3u);
  EXPECT_EQ(video->purchaseQualities[0]->id, 2);
  EXPECT_NE(video->purchaseQualities[0]->size.find(L"MB"), std::wstring::npos);
  EXPECT_EQ(video->infoLoaded, 1);
  EXPECT_EQ(video->downloadInfoLoaded, 0);

  // Play again: no request.
  EXPECT_EQ(billing::BuyInfo(Doc().Api(), video.get(), BuyType::kPlay)->ok, 0);

  // Download after play: asked for, appended after the play options.
  auto download = billing::BuyInfo(Doc().Api(), video.get(), BuyType::kDownload);
  EXPECT_EQ(download->ok, 1);
  EXPECT_EQ(download->secondary, 0);
  ASSERT_EQ(video->purchaseQualities.size(), 5u);
  EXPECT_EQ(video->purchaseQualities[3]->id, 12);
  EXPECT_EQ(video->downloadInfoLoaded, 1);

  // Download again: the options are at hand, no request, no balance request needed.
  auto again = billing::BuyInfo(Doc().Api(), video.get(), BuyType::kDownload);
  EXPECT_EQ(again->ok, 1);
  EXPECT_EQ(again->secondary, 1);
  EXPECT_EQ(video->purchaseQualities.size(), 5u);
  EXPECT_EQ(billing::BuyInfo(Doc().Api(), nullptr, BuyType::kPlay)->ok, 0);

  const std::string head = "/buy_info.php?" + Common() + "&video_id=1003&type=";
  const std::string tail = "&lng_id=2&codepage=utf8&client=wm&dist_number=1";
  const auto lines = Requests();
  ASSERT_EQ(lines.size(), 3u);  // the gift, play, download
  EXPECT_EQ(lines[1], head + "pl" + tail);
  EXPECT_EQ(lines[2], head + "dwn" + tail);
}

TEST_F(BillingEndpointsTest, BuyInfoFirstLoadFilesTheVideoInTheBoughtVideosFolder) {
  Credit();
  model::ProgrammeElement& seven = PurchasedFolder(7);
  auto video = Video(1003);
  video->playPrice = L"3";
  ASSERT_EQ(billing::BuyInfo(Doc().Api(), video.get(), BuyType::kPlay)->ok, 1);
  ASSERT_EQ(seven.children.size(), 8u);
  EXPECT_EQ(seven.total, 8);
  const model::ProgrammeElement& copy = *seven.children.back();
  EXPECT_EQ(copy.id, 1003);
  EXPECT_EQ(copy.parentFolder, &seven);
  EXPECT_EQ(copy.playPrice, L"3");
  EXPECT_EQ(copy.purchaseQualities.size(), 3u);
  // Not the first load: nothing more is filed.
  ASSERT_EQ(billing::BuyInfo(Doc().Api(), video.get(), BuyType::kDownload)->ok, 1);
  EXPECT_EQ(seven.children.size(), 8u);
  EXPECT_EQ(seven.total, 8);

  // A full page of ten: only the total grows.
  Doc().videoRoot->children.clear();
  model::ProgrammeElement& ten = PurchasedFolder(10);
  auto other = Video(1004);
  ASSERT_EQ(billing::BuyInfo(Doc().Api(), other.get(), BuyType::kPlay)->ok, 1);
  EXPECT_EQ(ten.children.size(), 10u);
  EXPECT_EQ(ten.total, 11);

  // A failed purchase files nothing.
  Doc().videoRoot->children.clear();
  model::ProgrammeElement& three = PurchasedFolder(3);
  auto unknown = Video(987654);
  EXPECT_EQ(billing::BuyInfo(Doc().Api(), unknown.get(), BuyType::kPlay)->errorId, 1201);
  EXPECT_EQ(three.children.size(), 3u);
  EXPECT_EQ(three.total, 3);
}

TEST_F(BillingEndpointsTest, GiftCodesAnswerWithTheServersMessageAndTravelEncoded) {
  auto activated = billing::Gifts(Doc().Api(), L"WELCOME");
  EXPECT_EQ(activated->ok, 1);
  EXPECT_NE(activated->message.find(L"50"), std::wstring::npos);
  auto used = billing::Gifts(Doc().Api(), L"WELCOME");
  EXPECT_EQ(used->ok, 0);
  EXPECT_EQ(used->errorId, 1402);
  // A code typed with "&" cannot add a parameter to the request.
  auto odd = billing::Gifts(Doc().Api(), L"A&user_id=1 é");
  EXPECT_EQ(odd->errorId, 1401);
  const auto lines = Requests();
  ASSERT_EQ(lines.size(), 3u);
  const std::string tail = "&" + Common() + "&lng_id=2&codepage=utf8&client=wm&dist_number=1";
  // Gift codes are recorded masked (AnswerShapesTest sees the encoding).
  EXPECT_EQ(lines[0], "/gifts.php?code=*" + tail);
  EXPECT_EQ(lines[2], "/gifts.php?code=*" + tail);
}

TEST_F(BillingEndpointsTest, FeedbackTextTravelsInOneHeaderLine) {
  EXPECT_EQ(billing::FeedbackHeader(L"a b"), L"Text: a b\r\n");
  EXPECT_EQ(billing::FeedbackHeader(L"hi\r\nX-Injected: 1\nbye"), L"Text: hi  X-Injected: 1 bye\r\n");

  auto sent = billing::Feedback(Doc().Api(), L"+4412345", L"me@example.org", L"hi\r\nHost: evil\r\n");
  EXPECT_EQ(sent->ok, 1);
  EXPECT_FALSE(Doc().feedbackMessage.empty());
  EXPECT_EQ(sent->message, resources::Strings().Get(net::kGenericFailureTextId));  // the result's text is kept

  // An empty text is refused by the server; the document keeps its message.
  Doc().feedbackMessage = L"kept";
  auto empty = billing::Feedback(Doc().Api(), L"1", L"a@b", L"");
  EXPECT_EQ(empty->ok, 0);
  EXPECT_EQ(empty->errorId, 1001);
  EXPECT_EQ(Doc().feedbackMessage, L"kept");

  const auto lines = Requests();
  ASSERT_EQ(lines.size(), 2u);
  // The message is not in the URL; the contact fields are encoded.
  EXPECT_EQ(lines[0], "/feedback.php?" + Common() + "&email=me%40example.org&phone=%2B4412345&lng_id=2"
                                                    "&codepage=utf8&client=wm&dist_number=1");
}

}  // namespace
}  // namespace kestrova::test
