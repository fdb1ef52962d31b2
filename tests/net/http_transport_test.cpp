// The HTTP transport against a real server on a loopback port.
#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "net/http_transport.h"
#include "platform/http.h"
#include "support/loopback_server.h"
#include "support/temp_dir.h"
#include "support/test_document.h"

namespace kestrova::test {
namespace {

using namespace std::chrono_literals;
using net::CloseKeptConnection;
using net::HttpGetKeepAlive;
using net::HttpGetToFile;
using net::HttpGetToMemory;

class HttpTransport : public ::testing::Test {
 protected:
  std::wstring Url(const std::string& path) const {
    return server_.WideBaseUrl() + std::wstring(path.begin(), path.end());
  }

  LoopbackServer server_;
  TestDocument doc_{server_.WideBaseUrl()};  // after the server: closes its connections first
  ScopedTempDirectory tmp_;                  // the answer files' folder, and only theirs
};

TEST_F(HttpTransport, BodyLandsInAFreshPrivateTempFileAndTheStatusIsNotExamined) {
  server_.Serve("/a.php", "<ok/>");
  server_.Serve("/missing.php", "<html>not found</html>", 404);

  std::filesystem::path file;
  ASSERT_TRUE(HttpGetToFile(doc_.Doc().Network(), Url("/a.php"), file));
  EXPECT_EQ(file.parent_path(), tmp_.Path());
  EXPECT_TRUE(file.filename().string().starts_with("tmp"));
  EXPECT_EQ(ReadFile(file), "<ok/>");
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600U);

  // An error page with a body is handed on like any answer.
  std::filesystem::path page;
  ASSERT_TRUE(HttpGetToFile(doc_.Doc().Network(), Url("/missing.php"), page));
  EXPECT_NE(page, file);
  EXPECT_EQ(ReadFile(page), "<html>not found</html>");

  const auto seen = server_.LastRequest();
  EXPECT_EQ(seen.Header("user-agent"), "Kestrova");
}

TEST_F(HttpTransport, AnEmptyBodyFailsEvenWithStatus200AndLeavesNoFile) {
  server_.Serve("/empty.php", "");
  std::filesystem::path file = "stale";
  EXPECT_FALSE(HttpGetToFile(doc_.Doc().Network(), Url("/empty.php"), file));
  EXPECT_TRUE(file.empty());
  EXPECT_EQ(server_.RequestCount(), 1U);
  EXPECT_EQ(tmp_.FileCount(), 0U);
}

TEST_F(HttpTransport, ThePortOfTheUrlIsUsed) {
  server_.Serve("/p.php", "x");
  std::filesystem::path file;
  EXPECT_TRUE(HttpGetToFile(doc_.Doc().Network(), Url("/p.php"), file));
  EXPECT_EQ(server_.RequestCount(), 1U);

  // A port nobody listens on any more fails instead of reaching some other
  // server.
  std::wstring deadUrl;
  {
    LoopbackServer gone;
    deadUrl = gone.WideBaseUrl() + L"/p.php";
  }
  std::filesystem::path none;
  EXPECT_FALSE(HttpGetToFile(doc_.Doc().Network(), deadUrl, none));

  // The scheme is honoured too: https to a plain HTTP server is a failed
  // TLS handshake, not a plain request.
  std::string secure = server_.BaseUrl() + "/p.php";
  secure.replace(0, 4, "https");
  EXPECT_FALSE(HttpGetToFile(doc_.Doc().Network(), std::wstring(secure.begin(), secure.end()), none));
  EXPECT_EQ(server_.RequestCount(), 1U);
  EXPECT_EQ(tmp_.FileCount(), 1U);
}

TEST_F(HttpTransport, UrlsThatAreNotHttpFailWithoutARequest) {
  std::filesystem::path file;
  for (const wchar_t* url : {L"", L"not a url", L"ftp://127.0.0.1/x", L"file:///etc/passwd", L"http:///x"}) {
    EXPECT_FALSE(HttpGetToFile(doc_.Doc().Network(), url, file)) << std::string(url, url + std::wcslen(url));
  }
  EXPECT_EQ(tmp_.FileCount(), 0U);
}

TEST_F(HttpTransport, ExtraHeaderLinesAreSentAndCannotSmuggleMoreLines) {
  server_.Serve("/h.php", "x");
  std::filesystem::path file;
  ASSERT_TRUE(HttpGetToFile(doc_.Doc().Network(), Url("/h.php"), file, L"Text: caf\u00e9\r\nX-Two: 2\r\n"));
  auto seen = server_.LastRequest();
  EXPECT_EQ(seen.Header("text"), "caf\xc3\xa9");
  EXPECT_EQ(seen.Header("x-two"), "2");

  // A bare carriage return inside a value does not end the line.
  ASSERT_TRUE(HttpGetToFile(doc_.Doc().Network(), Url("/h.php"), file, L"Text: a\rX-Evil: 1"));
  seen = server_.LastRequest();
  EXPECT_EQ(seen.Header("x-evil"), "");
  EXPECT_EQ(seen.Header("text"), "a X-Evil: 1");
}

TEST_F(HttpTransport, RawHeadersComeAsCrLfTextAndAHeaderRequestLeavesTheBodyAlone) {
  LoopbackReply reply;
  reply.headers = {{"Qual_num", "2"}, {"S1", "1000"}};
  reply.body = "a body that nobody stores";
  server_.Serve("/cc.cgi", reply);

  std::filesystem::path file = "stale";
  std::wstring headers;
  ASSERT_TRUE(HttpGetKeepAlive(doc_.Doc().Network(), Url("/cc.cgi"), file, {}, &headers));
  EXPECT_TRUE(headers.starts_with(L"HTTP/1.1 200")) << std::string(headers.begin(), headers.end());
  EXPECT_NE(headers.find(L"\r\nQual_num: 2\r\n"), std::wstring::npos);
  EXPECT_NE(headers.find(L"\r\nS1: 1000\r\n"), std::wstring::npos);
  EXPECT_TRUE(headers.ends_with(L"\r\n\r\n"));
  EXPECT_TRUE(file.empty());
  EXPECT_EQ(tmp_.FileCount(), 0U);

  // Headers alone make a successful set-up even without any body.
  server_.Serve("/bare.cgi", "");
  EXPECT_TRUE(HttpGetKeepAlive(doc_.Doc().Network(), Url("/bare.cgi"), file, {}, &headers));

  // HttpGetToFile hands out headers and body together.
  std::filesystem::path body;
  ASSERT_TRUE(HttpGetToFile(doc_.Doc().Network(), Url("/cc.cgi"), body, {}, &headers));
  EXPECT_NE(headers.find(L"\r\nQual_num: 2\r\n"), std::wstring::npos);
  EXPECT_EQ(ReadFile(body), reply.body);
}

TEST_F(HttpTransport, TheKeptConnectionCarriesTheNextRequestUntilItIsClosed) {
  LoopbackReply setup;
  setup.headers = {{"Len", "10"}};
  setup.body = std::string(100, 'b');  // read and dropped, so the connection stays usable
  server_.Serve("/setup.cgi", setup);
  server_.Serve("/getvid.cgi", std::string(5000, 'v'));

  std::filesystem::path file;
  std::wstring headers;
  ASSERT_TRUE(HttpGetKeepAlive(doc_.Doc().Network(), Url("/setup.cgi"), file, {}, &headers));
  ASSERT_TRUE(HttpGetKeepAlive(doc_.Doc().Network(), Url("/getvid.cgi"), file));
  EXPECT_EQ(ReadFile(file).size(), 5000U);
  ASSERT_TRUE(HttpGetKeepAlive(doc_.Doc().Network(), Url("/setup.cgi"), file, {}, &headers));

  auto seen = server_.Requests();
  ASSERT_EQ(seen.size(), 3U);
  EXPECT_EQ(seen[1].remotePort, seen[0].remotePort);
  EXPECT_EQ(seen[2].remotePort, seen[0].remotePort);

  // One-off requests do not use it.
  std::filesystem::path other;
  ASSERT_TRUE(HttpGetToFile(doc_.Doc().Network(), Url("/getvid.cgi"), other));
  EXPECT_NE(server_.LastRequest().remotePort, seen[0].remotePort);

  CloseKeptConnection(doc_.Doc().Network());
  EXPECT_FALSE(doc_->Network().keptConnection.IsOpen());
  ASSERT_TRUE(HttpGetKeepAlive(doc_.Doc().Network(), Url("/setup.cgi"), file, {}, &headers));
  EXPECT_NE(server_.LastRequest().remotePort, seen[0].remotePort);
}

TEST_F(HttpTransport, TheCancelFlagEndsABodyMidwayAndRemovesThePart) {
  LoopbackReply slow;
  slow.body = std::string(400 * 1024, 's');
  slow.pieceBytes = 4096;
  slow.pause = 20ms;  // the whole body would take two seconds
  server_.Serve("/slow.php", slow);

  std::thread canceller([&] {
    while (server_.BodyBytesSent() < 16 * 1024) std::this_thread::sleep_for(1ms);
    doc_->Network().cancel = 1;
  });
  const auto start = std::chrono::steady_clock::now();
  std::filesystem::path file;
  const bool ok = HttpGetToFile(doc_.Doc().Network(), Url("/slow.php"), file);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  canceller.join();
  EXPECT_FALSE(ok);
  EXPECT_TRUE(file.empty());
  EXPECT_LT(elapsed, 1500ms);
  EXPECT_LT(server_.BodyBytesSent(), slow.body.size());
  EXPECT_EQ(tmp_.FileCount(), 0U);

  // Once set, no transfer starts at all.
  const auto before = server_.RequestCount();
  EXPECT_FALSE(HttpGetToFile(doc_.Doc().Network(), Url("/slow.php"), file));
  EXPECT_EQ(server_.RequestCount(), before);
}

TEST_F(HttpTransport, ATransferThatStallsFailsAfterTheStallTime) {
  LoopbackReply stall;
  stall.body = std::string(10000, 'z');
  stall.stallAfter = 1000;
  server_.Serve("/stall.php", stall);
  doc_->Network().httpLimits.stallTimeout = 300ms;

  const auto start = std::chrono::steady_clock::now();
  std::filesystem::path file;
  EXPECT_FALSE(HttpGetToFile(doc_.Doc().Network(), Url("/stall.php"), file));
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, 300ms);
  EXPECT_LT(elapsed, 3s);
  EXPECT_EQ(tmp_.FileCount(), 0U);

  // The kept connection is dropped after a stall, so the next request does
  // not inherit a dead connection.
  std::wstring headers;
  EXPECT_FALSE(HttpGetKeepAlive(doc_.Doc().Network(), Url("/stall.php"), file));
  EXPECT_FALSE(doc_->Network().keptConnection.IsOpen());
}

TEST_F(HttpTransport, AnExchangeEndsAtItsTimeLimitHoweverSteadilyTheBytesComeAndItsRequestsFlagCancelsIt) {
  LoopbackReply steady;
  steady.body = std::string(6000, 's');
  steady.pieceBytes = 30;
  steady.pause = 100ms;  // 300 bytes a second, well above the slow-body rule: 20 s in all
  server_.Serve("/steady.php", steady);

  platform::HttpSession session;
  platform::HttpRequest request;
  request.url = server_.BaseUrl() + "/steady.php";
  request.limits.exchangeTimeout = 1s;
  std::filesystem::path file;
  auto start = std::chrono::steady_clock::now();
  const platform::HttpResponse response = session.GetToFile(request, file);
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(response.outcome, platform::HttpOutcome::TimedOut);
  EXPECT_GE(elapsed, 900ms);  // curl counts from its own start
  EXPECT_LT(elapsed, 6s);
  EXPECT_TRUE(file.empty());
  EXPECT_EQ(tmp_.FileCount(), 0U);

  // The request's own flag, raised part-way, ends only that request.
  std::atomic<int> requestCancel{0};
  const std::size_t sentBefore = server_.BodyBytesSent();
  std::thread back([&] {
    while (server_.BodyBytesSent() < sentBefore + 300) std::this_thread::sleep_for(1ms);
    requestCancel = 1;
  });
  start = std::chrono::steady_clock::now();
  EXPECT_FALSE(HttpGetToFile(net::TransferScope(doc_.Doc().Network(), &requestCancel), Url("/steady.php"), file));
  elapsed = std::chrono::steady_clock::now() - start;
  back.join();
  EXPECT_LT(elapsed, 8s);
  EXPECT_EQ(tmp_.FileCount(), 0U);
  server_.Serve("/a.php", "<ok/>");
  ASSERT_TRUE(HttpGetToFile(doc_.Doc().Network(), Url("/a.php"), file));
  std::filesystem::remove(file);
}

// A server that never answers for real: after the request it sends an
// interim "100 Continue" response every 50 ms until the client leaves.
class EndlessInterimServer {
 public:
  EndlessInterimServer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 1);
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] {
      const int client = ::accept(listener_, nullptr, nullptr);
      if (client < 0) return;
      char request[4096];
      static_cast<void>(::recv(client, request, sizeof request, 0));
      constexpr std::string_view kInterim = "HTTP/1.1 100 Continue\r\n\r\n";
      for (int i = 0; i < 400 && !stop_; ++i) {
        if (::send(client, kInterim.data(), kInterim.size(), MSG_NOSIGNAL) < 0) break;
        std::this_thread::sleep_for(50ms);
      }
      ::close(client);
    });
  }
  ~EndlessInterimServer() {
    stop_ = true;
    ::shutdown(listener_, SHUT_RDWR);
    thread_.join();
    ::close(listener_);
  }
  EndlessInterimServer(const EndlessInterimServer&) = delete;
  EndlessInterimServer& operator=(const EndlessInterimServer&) = delete;
  std::wstring Url() const { return L"http://127.0.0.1:" + std::to_wstring(port_) + L"/x.php"; }

 private:
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

TEST_F(HttpTransport, ADrippedBodyOrEndlessInterimResponsesEndLikeASilentServer) {
  LoopbackReply drip;
  drip.body = std::string(100000, 'd');
  drip.pieceBytes = 1;
  drip.pause = 100ms;  // 10 bytes a second: something arrives all the time
  server_.Serve("/drip.php", drip);
  doc_->Network().httpLimits.stallTimeout = 1s;
  std::filesystem::path file;
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(HttpGetToFile(doc_.Doc().Network(), Url("/drip.php"), file));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_EQ(tmp_.FileCount(), 0U);

  EndlessInterimServer interim;
  start = std::chrono::steady_clock::now();
  EXPECT_FALSE(HttpGetToFile(doc_.Doc().Network(), interim.Url(), file));
  std::wstring headers;
  EXPECT_FALSE(HttpGetKeepAlive(doc_.Doc().Network(), interim.Url(), file, {}, &headers));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 8s);
}

TEST_F(HttpTransport, ABodyOverThirtyTwoMebibytesFailsAndItsFileIsRemoved) {
  const std::string limit(platform::kMaxBodyBytes, 'x');
  server_.Serve("/limit.php", limit);
  LoopbackReply announced;
  announced.body = limit + "y";
  server_.Serve("/announced.php", announced);
  LoopbackReply streamed = announced;
  streamed.chunked = true;  // no length announced: the cap must count bytes
  server_.Serve("/streamed.php", streamed);

  std::filesystem::path file;
  ASSERT_TRUE(HttpGetToFile(doc_.Doc().Network(), Url("/limit.php"), file));
  EXPECT_EQ(std::filesystem::file_size(file), platform::kMaxBodyBytes);
  std::filesystem::remove(file);

  EXPECT_FALSE(HttpGetToFile(doc_.Doc().Network(), Url("/announced.php"), file));
  EXPECT_FALSE(HttpGetToFile(doc_.Doc().Network(), Url("/streamed.php"), file));
  EXPECT_TRUE(file.empty());
  EXPECT_EQ(tmp_.FileCount(), 0U);
}

TEST_F(HttpTransport, ToMemoryReadsUntilTheBufferIsFullOrTheBodyEnds) {
  std::string logo(3000, '\0');
  for (std::size_t i = 0; i < logo.size(); ++i) logo[i] = static_cast<char>(i * 7);
  LoopbackReply trickle;
  trickle.body = logo;
  trickle.pieceBytes = 500;  // a single read would see only the first piece
  trickle.pause = 10ms;
  server_.Serve("/logo.png", trickle);

  std::vector<std::uint8_t> buffer(logo.size());
  std::size_t received = 0;
  ASSERT_TRUE(HttpGetToMemory(doc_.Doc().Network(), Url("/logo.png"), buffer, {}, nullptr, &received));
  EXPECT_EQ(received, logo.size());
  EXPECT_EQ(std::string(buffer.begin(), buffer.end()), logo);

  // A smaller buffer takes the beginning; a larger one reports the length.
  std::vector<std::uint8_t> small(100);
  ASSERT_TRUE(HttpGetToMemory(doc_.Doc().Network(), Url("/logo.png"), small, {}, nullptr, &received));
  EXPECT_EQ(received, small.size());
  EXPECT_EQ(std::string(small.begin(), small.end()), logo.substr(0, 100));
  std::vector<std::uint8_t> large(10000);
  ASSERT_TRUE(HttpGetToMemory(doc_.Doc().Network(), Url("/logo.png"), large, {}, nullptr, &received));
  EXPECT_EQ(received, logo.size());

  // Nothing to read, or no room: false.
  EXPECT_FALSE(HttpGetToMemory(doc_.Doc().Network(), Url("/none.png"), buffer, {}, nullptr, &received));
  EXPECT_EQ(received, 0U);
  const auto before = server_.RequestCount();
  EXPECT_FALSE(HttpGetToMemory(doc_.Doc().Network(), Url("/logo.png"), std::span<std::uint8_t>()));
  EXPECT_EQ(server_.RequestCount(), before);
  EXPECT_EQ(tmp_.FileCount(), 0U);
}

TEST(PercentEncode, LeavesUnreservedCharactersAloneAndEncodesEverythingElse) {
  EXPECT_EQ(platform::PercentEncode("Abc-09._~"), "Abc-09._~");
  EXPECT_EQ(platform::PercentEncode("a&b c"), "a%26b%20c");
  EXPECT_EQ(platform::PercentEncode("\xc3\xa9"), "%C3%A9");  // é
  EXPECT_EQ(platform::PercentEncode("=#+%/?"), "%3D%23%2B%25%2F%3F");
  EXPECT_EQ(platform::PercentEncode(std::string_view("\0\xff", 2)), "%00%FF");
}

}  // namespace
}  // namespace kestrova::test
