#include "answer_stub.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "net/http_transport.h"
#include "platform/http.h"
#include "resources/answer_text.h"

namespace kestrova::fuzz {

namespace {

struct StubAnswer {
  std::string body;
  std::string headers;
};

// The fuzz target sets it before each run and reads it on the same thread.
StubAnswer& Answer() {
  static StubAnswer answer;
  return answer;
}

// A fresh temporary file holding the body, as the real transfer leaves it.
bool WriteBody(std::filesystem::path& file) {
  file.clear();
  const std::string& body = Answer().body;
  if (body.empty()) return false;
  std::string name = (platform::TempDirectory() / "fuzzXXXXXX").string();
  const int fd = ::mkstemp(name.data());
  if (fd < 0) return false;
  const bool written = ::write(fd, body.data(), body.size()) == static_cast<ssize_t>(body.size());
  ::close(fd);
  if (!written) {
    ::unlink(name.c_str());
    return false;
  }
  file = name;
  return true;
}

void StoreHeaders(std::wstring* rawHeaders) {
  if (rawHeaders != nullptr) *rawHeaders = resources::AnswerText(Answer().headers);
}

}  // namespace

void SetStubAnswer(std::string_view body, std::string_view headers) {
  Answer().body.assign(body);
  Answer().headers.assign(headers);
}

}  // namespace kestrova::fuzz

namespace kestrova::net {

bool HttpGetToFile(const TransferScope&, std::wstring_view, std::filesystem::path& answerFile, std::wstring_view,
                   std::wstring* rawHeaders) {
  fuzz::StoreHeaders(rawHeaders);
  return fuzz::WriteBody(answerFile);
}

bool HttpGetKeepAlive(const TransferScope&, std::wstring_view, std::filesystem::path& answerFile, std::wstring_view,
                      std::wstring* rawHeaders) {
  answerFile.clear();
  if (rawHeaders != nullptr) {
    fuzz::StoreHeaders(rawHeaders);
    return true;
  }
  return fuzz::WriteBody(answerFile);
}

void CloseKeptConnection(NetworkContext&) {}

bool HttpGetToMemory(const TransferScope&, std::wstring_view, std::span<std::uint8_t> buffer, std::wstring_view,
                     std::wstring* rawHeaders, std::size_t* received) {
  fuzz::StoreHeaders(rawHeaders);
  const std::string& body = fuzz::Answer().body;
  const std::size_t stored = std::min(buffer.size(), body.size());
  std::copy_n(body.begin(), stored, buffer.begin());
  if (received != nullptr) *received = stored;
  return stored > 0;
}

void EstablishDataConnection(NetworkContext&) {}

}  // namespace kestrova::net
