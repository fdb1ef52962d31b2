// The server's connection handling: slow and silent clients hold no worker,
// every request has an overall deadline, and kept connections serve many
// requests, also pipelined ones.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "support/server_fixture.h"

namespace kestrova::test {
namespace {

using namespace std::chrono_literals;

// A plain blocking TCP connection to the server, closed at the end.
class RawConnection {
 public:
  explicit RawConnection(int port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    timeval wait{5, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  }
  ~RawConnection() { ::close(fd_); }
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;

  bool Connected() const { return connected_; }
  bool Send(std::string_view bytes) { return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size()); }
  // Reads until the text holds `count` times `marker`, the peer closes, or 5 s pass.
  std::string ReadUntil(std::string_view marker, int count) {
    std::string text;
    char buffer[4096];
    while (Count(text, marker) < count) {
      const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
  }
  static int Count(std::string_view text, std::string_view marker) {
    int n = 0;
    for (auto at = text.find(marker); at != std::string_view::npos; at = text.find(marker, at + 1)) ++n;
    return n;
  }

 private:
  int fd_;
  bool connected_ = false;
};

constexpr std::string_view kBlank = "GET /blank.php HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";

TEST(ConnectionTest, SlowAndSilentClientsDoNotHoldUpOthers) {
  TempDir dir;
  ServerProcess server(dir, {"--workers", "2", "--request-timeout", "2"});
  ASSERT_NE(server.Port(), 0) << ReadFile(dir / "server.err");
  // Far more silent and dripping connections than there are workers.
  std::vector<std::unique_ptr<RawConnection>> silent, dripping;
  for (int i = 0; i < 20; ++i) {
    silent.push_back(std::make_unique<RawConnection>(server.Port()));
    dripping.push_back(std::make_unique<RawConnection>(server.Port()));
    ASSERT_TRUE(silent.back()->Connected() && dripping.back()->Connected());
  }
  std::atomic<bool> done{false};
  std::thread drip([&] {
    for (std::size_t at = 0; !done && at < kBlank.size() - 1; ++at) {
      for (auto& c : dripping) c->Send(kBlank.substr(at, 1));
      std::this_thread::sleep_for(200ms);
    }
  });

  ApiClient api(server.Port());
  const Session s = api.Register();
  for (int i = 0; i < 10; ++i) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(api.Balance(s), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1500ms);
  }
  // A request still arriving at its deadline is answered 408 and closed.
  const std::string late = dripping.front()->ReadUntil("\r\n\r\n", 1);
  EXPECT_EQ(late.rfind("HTTP/1.1 408", 0), 0u) << late;
  done = true;
  drip.join();
}

TEST(ConnectionTest, AKeptConnectionServesManyRequestsAlsoPipelined) {
  TempDir dir;
  ServerProcess server(dir);
  ASSERT_NE(server.Port(), 0) << ReadFile(dir / "server.err");
  RawConnection connection(server.Port());
  ASSERT_TRUE(connection.Connected());
  // One by one, past the five requests cpp-httplib would allow by default.
  for (int i = 0; i < 8; ++i) {
    ASSERT_TRUE(connection.Send(kBlank));
    const std::string answer = connection.ReadUntil("</html>", 1);
    ASSERT_EQ(answer.rfind("HTTP/1.1 200", 0), 0u) << i << ": " << answer;
    EXPECT_EQ(answer.find("Connection: close"), std::string::npos) << i;
  }
  // Twelve in one write: every one is answered, in order.
  std::string batch;
  for (int i = 0; i < 12; ++i) batch += kBlank;
  ASSERT_TRUE(connection.Send(batch));
  EXPECT_EQ(RawConnection::Count(connection.ReadUntil("</html>", 12), "HTTP/1.1 200"), 12);
}

}  // namespace
}  // namespace kestrova::test
