// A running kestrova-server, a logged-in account on it and a client
// document pointed at it, with the server's request log at hand so tests
// can compare the client's request lines exactly.
#pragma once

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "resources/string_table.h"
#include "support/server_fixture.h"
#include "support/test_document.h"

namespace kestrova::test {

class BillingFixture : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    ASSERT_NE(server_, nullptr);
    ASSERT_NE(server_->Port(), 0);
    session_ = api_->Register();
    ASSERT_NE(session_.user_id, 0);
    document_ = std::make_unique<TestDocument>(L"http://127.0.0.1:" + std::to_wstring(server_->Port()));
    auto& doc = document_->Doc();
    doc.userId = session_.user_id;
    doc.sessionKey = std::wstring(session_.key.begin(), session_.key.end());
    doc.settings.login = std::wstring(session_.login.begin(), session_.login.end());
    doc.settings.languageId = resources::kLanguageEnglish;  // the server's language 2
    ::setenv("KESTROVA_SMS_SPOOL", Spool().c_str(), 1);
    ClearRequests();
  }
  void TearDown() override {
    ::unsetenv("KESTROVA_SMS_SPOOL");
    document_.reset();
    ServerTest::TearDown();
  }

  app::CKestrovaDoc& Doc() { return document_->Doc(); }

  void ClearRequests() { api_->Raw("/_log/requests?clear=1"); }

  // The request lines since the last clear, without the log's own requests,
  // with the distribution suffix and time token ("&friend_id=5&agregator_id=7&...")
  // checked and cut off.
  std::vector<std::string> Requests() {
    std::vector<std::string> lines;
    const auto log = api_->Raw("/_log/requests");
    if (!log) {
      ADD_FAILURE() << "no request log";
      return lines;
    }
    const std::string suffix = "&friend_id=5&agregator_id=7&";
    std::size_t start = 0;
    while (start < log->body.size()) {
      std::size_t end = log->body.find('\n', start);
      if (end == std::string::npos) end = log->body.size();
      std::string line = log->body.substr(start, end - start);
      start = end + 1;
      if (line.rfind("/_log/", 0) == 0) continue;
      if (const auto at = line.rfind(suffix); at != std::string::npos && line.find('&', at + suffix.size()) ==
                                                                               std::string::npos) {
        line.erase(at);
      }
      lines.push_back(line);
    }
    return lines;
  }

  // "user_id=<id>&key=*&affiliate_id=2" of the test account, as the server
  // records it (the session key masked).
  std::string Common() const {
    return "user_id=" + std::to_string(session_.user_id) + "&key=*&affiliate_id=2";
  }

  Session session_;
  std::unique_ptr<TestDocument> document_;
};

}  // namespace kestrova::test
