// A plain blocking TCP connection to a server on loopback, for tests that
// send exact bytes (or hold a connection open) and read what comes back.
// Closed at the end.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace kestrova::test {

class RawConnection {
 public:
  explicit RawConnection(int port);
  ~RawConnection();
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;

  bool Connected() const { return connected_; }
  bool Send(std::string_view bytes);
  // Reads until the text holds `count` times `marker`, the peer closes, or 5 s pass.
  std::string ReadUntil(std::string_view marker, int count);
  // Whether something (an answer, or the end) has arrived within the time.
  bool Answered(std::chrono::milliseconds within);
  // The status line of the answer, or empty when none came within 5 s.
  std::string StatusLine();
  static int Count(std::string_view text, std::string_view marker);

 private:
  int fd_;
  bool connected_ = false;
};

}  // namespace kestrova::test
