#include "support/raw_connection.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

namespace kestrova::test {

RawConnection::RawConnection(int port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  connected_ = ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  timeval wait{5, 0};
  ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
}

RawConnection::~RawConnection() { ::close(fd_); }

bool RawConnection::Send(std::string_view bytes) {
  return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

std::string RawConnection::ReadUntil(std::string_view marker, int count) {
  std::string text;
  char buffer[4096];
  while (Count(text, marker) < count) {
    const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  return text;
}

bool RawConnection::Answered(std::chrono::milliseconds within) {
  pollfd p{fd_, POLLIN, 0};
  return ::poll(&p, 1, static_cast<int>(within.count())) > 0;
}

std::string RawConnection::StatusLine() {
  const std::string answer = ReadUntil("\r\n", 1);
  return answer.substr(0, answer.find("\r\n"));
}

int RawConnection::Count(std::string_view text, std::string_view marker) {
  int n = 0;
  for (auto at = text.find(marker); at != std::string_view::npos; at = text.find(marker, at + 1)) ++n;
  return n;
}

}  // namespace kestrova::test
