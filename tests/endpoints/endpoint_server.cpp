#include "endpoint_server.h"

#include <sstream>

#include "net/account_endpoints.h"
#include "platform/utf8.h"

namespace kestrova::test {

namespace {
constexpr int kEnglish = 1;
constexpr const char* kSharedSuffix = "&friend_id=5&agregator_id=7&";
}  // namespace

void EndpointServerTest::SetUp() {
  ServerTest::SetUp();
  if (HasFatalFailure()) return;
  const std::string base = "http://127.0.0.1:" + std::to_string(server_->Port());
  document_ = std::make_unique<TestDocument>(std::wstring(base.begin(), base.end()));
  document_->Clock().now = std::time(nullptr);
  Doc().settings.languageId = kEnglish;
}

void EndpointServerTest::TearDown() {
  document_.reset();
  ServerTest::TearDown();
}

void EndpointServerTest::RegisterAndLogIn() {
  const Session account = api_->Register();
  const auto result = net::Login(Doc().Api(), platform::DecodeUtf8(account.login).value_or(L""),
                                 platform::DecodeUtf8(account.password).value_or(L""));
  ASSERT_EQ(result->ok, 1) << platform::EncodeUtf8(result->message);
}

void EndpointServerTest::ClearRequests() { api_->Raw("/_log/requests?clear=1"); }

std::vector<std::string> EndpointServerTest::Requests() {
  std::vector<std::string> lines;
  const auto log = api_->Raw("/_log/requests");
  if (!log) return lines;
  std::istringstream in(log->body);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("/_log/", 0) == 0) continue;
    const auto suffix = line.find(kSharedSuffix);
    if (suffix != std::string::npos) line.resize(suffix);
    lines.push_back(line);
  }
  return lines;
}

std::string EndpointServerTest::SessionQuery() const {
  return "user_id=" + std::to_string(document_->Doc().userId) + "&key=*&affiliate_id=2";
}

}  // namespace kestrova::test
