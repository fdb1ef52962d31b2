#include "request_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>

namespace kestrova::server {
namespace {

// Request lines tell who uses the service and how: the file is the owner's only.
constexpr mode_t kLogFileMode = 0600;

constexpr std::string_view kMask = "*";
// The query keys whose values are secrets: log-in password, session key,
// stream key and gift code.
constexpr std::array<std::string_view, 4> kSecretKeys = {"password", "key", "user_key", "code"};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The value of count hex digits at text[at], or -1.
int HexValue(std::string_view text, std::size_t at, std::size_t count) {
  if (at + count > text.size()) return -1;
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    const int digit = HexDigit(text[i]);
    if (digit < 0) return -1;
    value = value * 16 + digit;
  }
  return value;
}

// A key name as the request parser reads it: "%XX" and "%uXXXX" escapes and
// "+" decoded (a character beyond ASCII becomes 0x80, which no secret key
// name has); here also lower-cased, so that no spelling slips past.
std::string DecodedName(std::string_view text) {
  constexpr int kBeyondAscii = 0x80;
  std::string name;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (const int wide = c == '%' && i + 1 < text.size() && text[i + 1] == 'u' ? HexValue(text, i + 2, 4) : -1;
        wide >= 0) {
      c = static_cast<char>(std::min(wide, kBeyondAscii));
      i += 5;
    } else if (const int byte = c == '%' ? HexValue(text, i + 1, 2) : -1; byte >= 0) {
      c = static_cast<char>(byte);
      i += 2;
    } else if (c == '+') {
      c = ' ';
    }
    name.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  return name;
}

bool IsSecretKey(std::string_view raw_name) {
  const std::string name = DecodedName(raw_name);
  return std::find(kSecretKeys.begin(), kSecretKeys.end(), name) != kSecretKeys.end();
}

// One "name=value" piece of a query, masked when the name is secret. The
// parser takes the first non-empty stretch between "=" signs (spaces and
// tabs trimmed) for the name: "=password=x" names the password too.
void AppendPiece(std::string& out, std::string_view piece) {
  std::size_t start = 0;
  while (start < piece.size() && (piece[start] == '=' || piece[start] == ' ' || piece[start] == '\t')) ++start;
  const std::size_t equals = piece.find('=', start);
  if (equals == std::string_view::npos) {
    out.append(piece);
    return;
  }
  std::string_view name = piece.substr(start, equals - start);
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
  if (!IsSecretKey(name)) {
    out.append(piece);
    return;
  }
  out.append(piece.substr(0, equals + 1));
  out.append(kMask);
}

// The target as it is recorded: every secret value masked.
std::string Masked(std::string_view target) {
  const std::size_t question = target.find('?');
  if (question == std::string_view::npos) return std::string(target);
  std::string out(target.substr(0, question + 1));
  std::string_view query = target.substr(question + 1);
  for (;;) {
    const std::size_t amp = query.find('&');
    AppendPiece(out, query.substr(0, amp));
    if (amp == std::string_view::npos) break;
    out.push_back('&');
    query.remove_prefix(amp + 1);
  }
  return out;
}

}  // namespace

bool RequestLog::Open(const std::string& file) {
  if (file.empty()) return true;
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, kLogFileMode);
  if (fd < 0) return false;
  std::FILE* stream = ::fdopen(fd, "a");
  if (stream == nullptr) {
    ::close(fd);
    return false;
  }
  std::lock_guard lock(mutex_);
  file_.reset(stream);
  return true;
}

void RequestLog::Record(std::string_view target) {
  // Anybody can send long targets without logging in: they must not grow
  // the server's memory without bound.
  std::string masked = Masked(target);
  masked.resize(std::min(masked.size(), kTargetLimit));
  std::lock_guard lock(mutex_);
  if (file_) {
    std::fwrite(masked.data(), 1, masked.size(), file_.get());
    std::fputc('\n', file_.get());
    std::fflush(file_.get());
  }
  bytes_ += masked.size();
  targets_.push_back(std::move(masked));
  while (!targets_.empty() && (targets_.size() > kMemoryLimit || bytes_ > kMemoryBytes)) {
    bytes_ -= targets_.front().size();
    targets_.pop_front();
  }
}

std::vector<std::string> RequestLog::Snapshot(bool clear) {
  std::lock_guard lock(mutex_);
  std::vector<std::string> targets(targets_.begin(), targets_.end());
  if (clear) {
    targets_.clear();
    bytes_ = 0;
  }
  return targets;
}

std::size_t RequestLog::MemoryBytes() {
  std::lock_guard lock(mutex_);
  return bytes_;
}

}  // namespace kestrova::server
