// Where one request ends in the bytes a connection has sent: its head (the
// request line and header lines up to the empty line) and the body its
// Content-Length announces. The front end waits for a whole request this way
// before a worker parses it, and refuses at once what cannot become one
// within the limits, so that no worker ever waits on the socket and no head
// grows without bound.
#pragma once

#include <cstddef>
#include <string_view>

namespace kestrova::server {

struct RequestLimits {
  std::size_t max_line;          // the request line or one header line, with its end
  std::size_t max_head_bytes;    // the whole head, with its empty line
  std::size_t max_header_lines;  // header lines in one head
  std::size_t max_body_bytes;    // the Content-Length a request may announce

  // What may have to be read before a request is known to be whole or too large.
  std::size_t MaxRequestBytes() const { return max_head_bytes + max_body_bytes; }
};

struct RequestFrame {
  enum class Kind {
    kPartial,  // more bytes are needed
    kWhole,    // the first `size` bytes are the request
    kRefused,  // answer `status` and close
  };
  Kind kind = Kind::kPartial;
  std::size_t size = 0;
  int status = 0;
  // kPartial: the head is in, its body not, and the client waits for
  // "100 Continue" before it sends the body.
  bool awaits_continue = false;
};

// How many bytes at the start are empty lines ("\r" and "\n"): a server
// ignores them before a request line, since some clients end a body with an
// extra line end.
std::size_t LeadingEmptyLines(std::string_view bytes);

// The first request in bytes (which do not start with an empty line). A line ends with "\n" (with or without "\r").
// Refused: a request line longer than max_line (414); a header line longer
// than max_line, more than max_header_lines header lines or a head longer
// than max_head_bytes (431); a Content-Length that is no number or that
// differs between two headers, or whitespace before a framing header's
// colon (400); a body over max_body_bytes (413); a Transfer-Encoding (411:
// bodies must come with their length).
RequestFrame ExamineRequest(std::string_view bytes, const RequestLimits& limits);

}  // namespace kestrova::server
