// The answer conventions every endpoint follows, through the shared endpoint
// steps against a loopback server: failures keep the generic text, server
// errors bring their own, and no answer file survives.
#include <gtest/gtest.h>

#include "net/answer_reading.h"
#include "net/endpoint.h"
#include "resources/string_table.h"
#include "support/loopback_server.h"
#include "support/test_document.h"

namespace kestrova::test {
namespace {

class EndpointTest : public ::testing::Test {
 protected:
  // A countries-like endpoint: clears the list, reads one record per child.
  model::RequestResultPtr Countries() {
    net::EndpointCall call;
    call.refreshList = [this] { doc_->countries.clear(); };
    call.request = L"countries.php?user_id=1";
    call.rootElement = "countries";
    call.readRoot = [this](const net::XmlElement& root, model::RequestResult& result) {
      for (auto child = root.FirstChildElement("country"); child; child = child.NextSiblingElement("country")) {
        auto record = std::make_unique<model::CountryRecord>();
        record->code = net::AttributeText(child, "code");
        record->name = net::ElementText(child);
        record->isDefault = net::AttributeNumber(child, "def");
        doc_->countries.push_back(std::move(record));
      }
      result.ok = !doc_->countries.empty();
    };
    return net::RunEndpoint(doc_.Doc().Api(), call);
  }

  void ExpectGenericFailure(const model::RequestResult& result) {
    EXPECT_EQ(result.ok, 0);
    EXPECT_EQ(result.errorId, 0);
    EXPECT_EQ(result.message, Generic());
    EXPECT_EQ(tmp_.FileCount(), 0U);
  }

  static std::wstring Generic() { return resources::Strings().Get(net::kGenericFailureTextId); }

  LoopbackServer server_;
  TestDocument doc_{server_.WideBaseUrl()};
  ScopedTempDirectory tmp_;
};

TEST_F(EndpointTest, AGoodAnswerFillsTheListInOrderAndIsDeleted) {
  ASSERT_FALSE(Generic().empty());
  server_.Serve("/countries.php",
                "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<countries>\n"
                "  <country code=\"ru\" def=\"1\">\n    \xd0\xa0\xd0\xbe\xd1\x81\xd1\x81\xd0\xb8\xd1\x8f\n  </country>\n"
                "  <other/>\n"
                "  <country code=\"fr\" def=\"0x1\">France   et   Monaco</country>\n"
                "  <country code=\"es\"><b>Spain</b></country>\n"
                "</countries>");
  doc_->countries.push_back(std::make_unique<model::CountryRecord>());  // from an earlier answer

  const auto result = Countries();
  EXPECT_EQ(result->ok, 1);
  ASSERT_EQ(doc_->countries.size(), 3U);
  EXPECT_EQ(doc_->countries[0]->code, L"ru");
  EXPECT_EQ(doc_->countries[0]->name, L"\u0420\u043e\u0441\u0441\u0438\u044f");  // indentation trimmed
  EXPECT_EQ(doc_->countries[0]->isDefault, 1);
  EXPECT_EQ(doc_->countries[1]->name, L"France et Monaco");
  EXPECT_EQ(doc_->countries[1]->isDefault, 0);  // "0x1" reads as 0
  EXPECT_EQ(doc_->countries[2]->name, L"");     // first child is an element, not text
  EXPECT_EQ(tmp_.FileCount(), 0U);
}

TEST_F(EndpointTest, NoUsableAnswerKeepsTheGenericTextAndEmptiesTheList) {
  doc_->countries.push_back(std::make_unique<model::CountryRecord>());

  // The network fails: nobody listens at the base URL any more.
  {
    LoopbackServer gone;
    doc_->settings.apiBaseUrl = gone.WideBaseUrl();
  }
  ExpectGenericFailure(*Countries());
  EXPECT_TRUE(doc_->countries.empty());
  doc_->settings.apiBaseUrl = server_.WideBaseUrl();

  server_.Serve("/countries.php", "");  // empty body with status 200
  ExpectGenericFailure(*Countries());
  server_.Serve("/countries.php", "<html><body>Bad gateway</body>");  // not XML
  ExpectGenericFailure(*Countries());
  server_.Serve("/countries.php", "<countries><country code=\"ru\">R</country>");  // cut off
  ExpectGenericFailure(*Countries());
  EXPECT_TRUE(doc_->countries.empty());
  server_.Serve("/countries.php", "<operators><operator id=\"1\"/></operators>");  // root missing
  ExpectGenericFailure(*Countries());
  server_.Serve("/countries.php", "<countries/>");  // root present, nothing in it
  ExpectGenericFailure(*Countries());
  EXPECT_EQ(server_.RequestCount(), 5U);
}

TEST_F(EndpointTest, AServerErrorBringsItsTextAndId) {
  server_.Serve("/countries.php", "<error id=\"17\">Session expired</error>");
  auto result = Countries();
  EXPECT_EQ(result->ok, 0);
  EXPECT_EQ(result->errorId, 17);
  EXPECT_EQ(result->message, L"Session expired");

  // Without an id the id is 0; without a text the message is empty (the
  // generic text is replaced).
  server_.Serve("/countries.php", "<error>No id</error>");
  result = Countries();
  EXPECT_EQ(result->errorId, 0);
  EXPECT_EQ(result->message, L"No id");
  server_.Serve("/countries.php", "<error id=\"3\"/>");
  result = Countries();
  EXPECT_EQ(result->errorId, 3);
  EXPECT_EQ(result->message, L"");

  // The error wins over a root element in the same answer, and an error
  // page with status 404 is read like any other answer.
  server_.Serve("/countries.php", "<countries><country code=\"x\"/></countries><error id=\"9\">Later</error>");
  result = Countries();
  EXPECT_EQ(result->ok, 0);
  EXPECT_EQ(result->errorId, 9);
  server_.Serve("/countries.php", "<error id=\"404\">Unknown script</error>", 404);
  result = Countries();
  EXPECT_EQ(result->message, L"Unknown script");
  EXPECT_EQ(tmp_.FileCount(), 0U);
}

}  // namespace
}  // namespace kestrova::test
