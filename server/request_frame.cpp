#include "request_frame.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace kestrova::server {
namespace {

constexpr int kBadRequest = 400;
constexpr int kLengthRequired = 411;
constexpr int kPayloadTooLarge = 413;
constexpr int kUriTooLong = 414;
constexpr int kHeaderFieldsTooLarge = 431;

RequestFrame Refused(int status) { return {RequestFrame::Kind::kRefused, 0, status, false}; }

bool SameWord(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// A Content-Length value: decimal digits only. Values past `ceiling` come
// back as ceiling + 1 (too large either way, and no overflow).
std::optional<std::size_t> ParseLength(std::string_view text, std::size_t ceiling) {
  if (text.empty()) return std::nullopt;
  std::size_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = std::min(value * 10 + static_cast<std::size_t>(c - '0'), ceiling + 1);
  }
  return value;
}

// What the header lines say about the body.
struct Framing {
  std::optional<std::size_t> length;
  bool expects_continue = false;
  int refusal = 0;  // a status: the head cannot be framed

  void Read(std::string_view line, std::size_t max_body) {
    const auto colon = line.find(':');
    if (colon == std::string_view::npos) return;  // no header: the parser ignores it
    const std::string_view raw_name = line.substr(0, colon);
    const std::string_view name = Trimmed(raw_name);
    const std::string_view value = Trimmed(line.substr(colon + 1));
    const bool framing = SameWord(name, "Content-Length") || SameWord(name, "Transfer-Encoding");
    if (framing && name.size() != raw_name.size()) {
      // "Content-Length :" would be a different header to the parser.
      refusal = kBadRequest;
    } else if (SameWord(name, "Transfer-Encoding")) {
      refusal = kLengthRequired;
    } else if (SameWord(name, "Content-Length")) {
      const auto parsed = ParseLength(value, max_body);
      if (!parsed || (length && *length != *parsed)) {
        refusal = kBadRequest;
      } else {
        length = parsed;
      }
    } else if (SameWord(name, "Expect") && SameWord(value, "100-continue")) {
      expects_continue = true;
    }
  }
};

}  // namespace

std::size_t LeadingEmptyLines(std::string_view bytes) {
  const std::size_t first = bytes.find_first_not_of("\r\n");
  return first == std::string_view::npos ? bytes.size() : first;
}

RequestFrame ExamineRequest(std::string_view bytes, const RequestLimits& limits) {
  Framing framing;
  std::size_t at = 0;
  std::size_t header_lines = 0;
  for (bool request_line = true;; request_line = false) {
    const std::size_t end = bytes.find('\n', at);
    const std::size_t line_bytes = (end == std::string_view::npos ? bytes.size() : end + 1) - at;
    if (line_bytes > limits.max_line) return Refused(request_line ? kUriTooLong : kHeaderFieldsTooLarge);
    if (end == std::string_view::npos) {
      if (bytes.size() > limits.max_head_bytes) return Refused(kHeaderFieldsTooLarge);
      return {};
    }
    std::string_view line = bytes.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    at = end + 1;
    if (at > limits.max_head_bytes) return Refused(kHeaderFieldsTooLarge);
    if (request_line) {
      if (line.empty()) return Refused(kBadRequest);
      continue;
    }
    if (line.empty()) break;  // the end of the head
    if (++header_lines > limits.max_header_lines) return Refused(kHeaderFieldsTooLarge);
    framing.Read(line, limits.max_body_bytes);
    if (framing.refusal != 0) return Refused(framing.refusal);
  }
  const std::size_t body = framing.length.value_or(0);
  if (body > limits.max_body_bytes) return Refused(kPayloadTooLarge);
  if (bytes.size() - at < body) return {RequestFrame::Kind::kPartial, 0, 0, framing.expects_continue};
  return {RequestFrame::Kind::kWhole, at + body, 0, false};
}

}  // namespace kestrova::server
