// The server's connection handling: slow and silent clients hold no worker,
// every request has an overall deadline, heads and bodies are bounded and
// arrive whole before they are parsed, and kept connections serve many
// requests, also pipelined ones.
#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

#include "support/raw_connection.h"
#include "support/server_fixture.h"

namespace kestrova::test {
namespace {

using namespace std::chrono_literals;

constexpr std::string_view kBlank = "GET /blank.php HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";

// The status line of the first answer on a new connection sent these bytes.
std::string FirstStatus(int port, std::string_view bytes) {
  RawConnection connection(port);
  connection.Send(bytes);
  return connection.StatusLine();
}

// The process's resident memory in KiB.
long ResidentKib(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

std::string HeaderLines(int count, std::size_t length = 100) {
  std::string lines;
  for (int i = 0; i < count; ++i) lines += "X-Filler-" + std::to_string(i) + ": " + std::string(length, 'a') + "\r\n";
  return lines;
}

TEST(ConnectionTest, SlowAndSilentClientsDoNotHoldUpOthers) {
  TempDir dir;
  ServerProcess server(dir, {"--workers", "2", "--request-timeout", "2"});
  ASSERT_NE(server.Port(), 0) << ReadFile(dir / "server.err");
  // Far more silent and dripping connections than there are workers: half
  // of the drips are heads, half are bodies after a whole head.
  constexpr std::string_view kPostHead = "POST /login.php HTTP/1.1\r\nHost: x\r\nContent-Length: 100\r\n\r\n";
  std::vector<std::unique_ptr<RawConnection>> silent, dripping;
  for (int i = 0; i < 20; ++i) {
    silent.push_back(std::make_unique<RawConnection>(server.Port()));
    dripping.push_back(std::make_unique<RawConnection>(server.Port()));
    ASSERT_TRUE(silent.back()->Connected() && dripping.back()->Connected());
    if (i % 2 == 1) {
      ASSERT_TRUE(dripping.back()->Send(kPostHead));
    }
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
  // A request (head or body) still arriving at its deadline is answered 408.
  for (std::size_t i = 0; i < 2; ++i) {
    const std::string late = dripping[i]->ReadUntil("\r\n\r\n", 1);
    EXPECT_EQ(late.rfind("HTTP/1.1 408", 0), 0u) << late;
  }
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

TEST(ConnectionTest, HeadsAreBoundedAndRefusedAtOnce) {
  TempDir dir;
  ServerProcess server(dir);
  ASSERT_NE(server.Port(), 0) << ReadFile(dir / "server.err");
  const long resident_before = ResidentKib(server.Pid());
  // Header lines without end from four connections at once: each is refused
  // with 431 as soon as its head passes the limit and closed, long before
  // the client has sent what it would.
  constexpr std::size_t kFloodBytes = std::size_t{64} << 20;
  std::atomic<int> refused{0};
  std::vector<std::thread> floods;
  for (int i = 0; i < 4; ++i) {
    floods.emplace_back([&] {
      RawConnection flood(server.Port());
      const std::string lines = HeaderLines(1000);
      std::size_t sent = 0;
      if (!flood.Send("GET /blank.php HTTP/1.1\r\nHost: 127.0.0.1\r\n")) return;
      while (sent < kFloodBytes && flood.Send(lines)) sent += lines.size();
      if (sent < kFloodBytes && flood.ReadUntil("\r\n", 1).rfind("HTTP/1.1 431 ", 0) == 0) ++refused;
    });
  }
  for (auto& flood : floods) flood.join();
  EXPECT_EQ(refused.load(), 4);
  EXPECT_LT(ResidentKib(server.Pid()) - resident_before, 32 * 1024) << "KiB more resident memory";

  const std::string head = "GET /blank.php HTTP/1.1\r\nHost: 127.0.0.1\r\n";
  EXPECT_EQ(FirstStatus(server.Port(), head + HeaderLines(99) + "\r\n"), "HTTP/1.1 200 OK");
  EXPECT_EQ(FirstStatus(server.Port(), head + HeaderLines(100) + "\r\n"), "HTTP/1.1 431 Request Header Fields Too Large");
  EXPECT_EQ(FirstStatus(server.Port(), head + HeaderLines(1, 9000)), "HTTP/1.1 431 Request Header Fields Too Large");
  // A refused client that goes on sending is not reset at once: the rest is
  // read and dropped for a while, so the answer is not lost on its way.
  {
    RawConnection late(server.Port());
    ASSERT_TRUE(late.Send(head + HeaderLines(101) + "\r\n"));
    EXPECT_EQ(late.ReadUntil("\r\n\r\n", 1).rfind("HTTP/1.1 431 ", 0), 0u);
    for (int i = 0; i < 4; ++i) {
      EXPECT_TRUE(late.Send(std::string(std::size_t{64} << 10, 'x'))) << "reset after " << i << " sends";
      std::this_thread::sleep_for(50ms);
    }
  }
  // A request line that does not end: 414 without waiting for the rest.
  EXPECT_EQ(FirstStatus(server.Port(), "GET /blank.php?q=" + std::string(std::size_t{1} << 20, 'q')),
            "HTTP/1.1 414 URI Too Long");
  ApiClient api(server.Port());
  EXPECT_EQ(api.Get("/blank.php").status, 200);
}

TEST(ConnectionTest, ABodyArrivesWholeBeforeItIsParsed) {
  TempDir dir;
  ServerProcess server(dir, {"--request-timeout", "2"});
  ASSERT_NE(server.Port(), 0) << ReadFile(dir / "server.err");
  // Pipelined: a POST whose body looks like a request (and an extra line
  // end after it, as some clients send), a GET with a body, a plain GET.
  // Each is answered in order; no body is taken for a request.
  {
    RawConnection connection(server.Port());
    ASSERT_TRUE(connection.Send("POST /login.php HTTP/1.1\r\nHost: x\r\nContent-Length: 16\r\n\r\nGET / HTTP/1.1\r\n"
                                "\r\nGET /blank.php HTTP/1.1\r\nHost: x\r\nContent-Length: 5\r\n\r\nHELLO" +
                                std::string(kBlank)));
    const std::string answers = connection.ReadUntil("</html>", 2);
    EXPECT_EQ(answers.rfind("HTTP/1.1 404 ", 0), 0u) << answers;
    EXPECT_EQ(RawConnection::Count(answers, "HTTP/1.1 200 "), 2) << answers;
    EXPECT_EQ(RawConnection::Count(answers, "HTTP/1.1 "), 3) << answers;
  }
  // A client that waits for "100 Continue" gets it before it sends its body.
  {
    RawConnection connection(server.Port());
    ASSERT_TRUE(connection.Send("POST /login.php HTTP/1.1\r\nHost: x\r\nExpect: 100-continue\r\nContent-Length: 3\r\n\r\n"));
    EXPECT_EQ(connection.ReadUntil("\r\n\r\n", 1), "HTTP/1.1 100 Continue\r\n\r\n");
    ASSERT_TRUE(connection.Send("a=1"));
    EXPECT_NE(connection.ReadUntil("HTTP/1.1 404 ", 1).find("HTTP/1.1 404 "), std::string::npos);
  }
  const std::string post = "POST /login.php HTTP/1.1\r\nHost: x\r\n";
  EXPECT_EQ(FirstStatus(server.Port(), post + "Content-Length: 100000\r\n\r\n"), "HTTP/1.1 413 Payload Too Large");
  EXPECT_EQ(FirstStatus(server.Port(), post + "Transfer-Encoding: chunked\r\n\r\n"), "HTTP/1.1 411 Length Required");
  EXPECT_EQ(FirstStatus(server.Port(), post + "Content-Length: 5\r\nContent-Length: 6\r\n\r\n"),
            "HTTP/1.1 400 Bad Request");

  // A body dripped a byte at a time is still incomplete at the deadline: 408.
  RawConnection drip(server.Port());
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(drip.Send(post + "Content-Length: 100\r\n\r\n"));
  std::atomic<bool> answered{false};
  std::thread dripping([&] {
    for (int i = 0; i < 50 && !answered; ++i) {
      drip.Send("a");
      std::this_thread::sleep_for(200ms);
    }
  });
  const std::string late = drip.ReadUntil("\r\n\r\n", 1);
  const auto waited = std::chrono::steady_clock::now() - start;
  answered = true;
  dripping.join();
  EXPECT_EQ(late.rfind("HTTP/1.1 408 Request Timeout", 0), 0u) << late;
  EXPECT_GE(waited, 1500ms);
  EXPECT_LT(waited, 8s);
}

}  // namespace
}  // namespace kestrova::test
