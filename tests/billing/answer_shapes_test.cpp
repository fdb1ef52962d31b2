// Billing endpoints against answers kestrova-server never gives: other root
// elements, unparsable bodies, and the feedback header as it arrives.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "billing/billing_endpoints.h"
#include "billing/sms_payment.h"
#include "model/catalogue_records.h"
#include "model/programme_records.h"
#include "net/endpoint.h"
#include "resources/string_table.h"
#include "support/loopback_server.h"
#include "support/test_document.h"

namespace kestrova::test {
namespace {

constexpr const char* kOtherRoot = "<?xml version=\"1.0\"?><other message=\"x\" account=\"5\"/>";

class AnswerShapesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    document_ = std::make_unique<TestDocument>(server_.WideBaseUrl());
    Doc().userId = 7;
    Doc().sessionKey = L"k";
    Doc().settings.languageId = resources::kLanguageEnglish;
  }
  app::CKestrovaDoc& Doc() { return document_->Doc(); }
  std::wstring Generic() const { return resources::Strings().Get(net::kGenericFailureTextId); }

  LoopbackServer server_;
  std::unique_ptr<TestDocument> document_;
};

TEST_F(AnswerShapesTest, OtherRootElementsKeepTheDocumentAsItWas) {
  server_.Serve("/bill.php", kOtherRoot);
  server_.Serve("/gifts.php", kOtherRoot);
  server_.Serve("/subscribe_channel.php", kOtherRoot);
  server_.Serve("/shortnumbers.php", "<shortnumbers/>");
  server_.Serve("/feedback.php", kOtherRoot);

  Doc().accountBalance = 12;
  EXPECT_EQ(billing::Bill(Doc().Api())->ok, 1);
  EXPECT_EQ(Doc().accountBalance, 12);

  // A code typed with "&" cannot add a parameter to the request.
  auto gift = billing::Gifts(Doc().Api(), L"A&user_id=1 \u00e9");
  EXPECT_EQ(gift->ok, 1);
  EXPECT_TRUE(gift->message.empty());
  const LoopbackRequest asked = server_.LastRequest();
  EXPECT_EQ(asked.target.rfind("/gifts.php?code=A%26user_id%3D1%20%C3%A9&user_id=7&", 0), 0u) << asked.target;
  EXPECT_EQ(asked.ParamCount("user_id"), 1u);

  model::CatalogueItem channel;
  channel.id = 5;
  channel.price = L"old";
  auto subscribed = billing::SubscribeChannel(Doc().Api(), &channel);
  EXPECT_EQ(subscribed->ok, 1);
  EXPECT_EQ(subscribed->message, Generic());
  EXPECT_EQ(channel.price, L"old");

  Doc().shortNumbers.push_back(std::make_unique<model::ShortNumberRecord>());
  EXPECT_EQ(billing::ShortNumbers(Doc().Api())->ok, 1);
  EXPECT_TRUE(Doc().shortNumbers.empty());

  Doc().feedbackMessage = L"kept";
  EXPECT_EQ(billing::Feedback(Doc().Api(), L"1", L"a", L"abc")->ok, 0);
  EXPECT_EQ(Doc().feedbackMessage, L"kept");
}

TEST_F(AnswerShapesTest, UnparsableAnswersFailAndAFailedBuyInfoCanBeAskedAgain) {
  for (const char* script : {"/bill.php", "/gifts.php", "/shortnumbers.php", "/buy_info.php"}) {
    server_.Serve(script, "this is no XML <");
  }
  Doc().accountBalance = 3;
  EXPECT_EQ(billing::Bill(Doc().Api())->ok, 0);
  EXPECT_EQ(Doc().accountBalance, 3);
  EXPECT_EQ(billing::Gifts(Doc().Api(), L"CODE")->ok, 0);
  EXPECT_EQ(billing::ShortNumbers(Doc().Api())->ok, 0);

  model::ProgrammeElement video;
  video.id = 1003;
  EXPECT_EQ(billing::BuyInfo(Doc().Api(), &video, billing::BuyType::kPlay)->ok, 0);
  EXPECT_EQ(video.infoLoaded, 0);
  server_.Serve("/buy_info.php", "<error id=\"1301\">Not enough credit</error>");
  auto poor = billing::BuyInfo(Doc().Api(), &video, billing::BuyType::kPlay);
  EXPECT_EQ(poor->errorId, 1301);
  EXPECT_EQ(poor->message, L"Not enough credit");
  EXPECT_EQ(video.infoLoaded, 0);
  server_.Serve("/buy_info.php", "<buy_info><quality id=\"2\" name=\"Low\" size=\"1 MB\"/></buy_info>");
  EXPECT_EQ(billing::BuyInfo(Doc().Api(), &video, billing::BuyType::kPlay)->ok, 1);
  EXPECT_EQ(video.purchaseQualities.size(), 1u);
  EXPECT_EQ(server_.RequestCount(), 6u);  // every call above asked
}

TEST_F(AnswerShapesTest, FeedbackTextArrivesAsOneHeaderAndNotInTheUrl) {
  server_.Serve("/feedback.php", "<feedback message=\"Thanks\"/>");
  auto plain = billing::Feedback(Doc().Api(), L"123", L"a@b.c", L"a b");
  EXPECT_EQ(plain->ok, 1);
  EXPECT_EQ(Doc().feedbackMessage, L"Thanks");
  LoopbackRequest request = server_.LastRequest();
  EXPECT_EQ(request.Header("text"), "a b");
  EXPECT_EQ(request.target.find("a%20b"), std::string::npos);

  ASSERT_EQ(billing::Feedback(Doc().Api(), L"1", L"e", L"hi\r\nX-Injected: 1\nbye")->ok, 1);
  request = server_.LastRequest();
  EXPECT_EQ(request.Header("text"), "hi  X-Injected: 1 bye");
  EXPECT_EQ(request.headers.count("x-injected"), 0u);
}

TEST_F(AnswerShapesTest, SmsReportIsNotReadOnlyDelivered) {
  server_.Serve("/sms_sent.php", "not XML at all");
  EXPECT_EQ(billing::ReportSmsSent(Doc().Api(), 1, L"1234", L"TV user1")->ok, 1);
  EXPECT_EQ(server_.LastRequest().Param("text"), "TV user1");
  EXPECT_EQ(server_.LastRequest().ParamCount("exception"), 1u);
}

}  // namespace
}  // namespace kestrova::test
