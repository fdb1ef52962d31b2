// The HTTP client: GET requests over libcurl with the body streamed to a
// fresh temporary file, read into a caller's buffer, or not stored at all
// when only the response headers are wanted.
//
// An HttpSession owns one curl easy handle. Used once it serves one request;
// kept, it keeps its connection open between requests to the same host and
// port, which is what the stream set-up relies on.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace kestrova::platform {

inline constexpr const char* kHttpAgent = "Kestrova";
inline constexpr const char* kTempFilePrefix = "tmp";
// A bigger answer fails and its file is removed, so a broken or hostile
// server cannot fill the disk.
inline constexpr std::size_t kMaxBodyBytes = std::size_t{32} * 1024 * 1024;
inline constexpr std::chrono::milliseconds kConnectTimeout{20000};
// A transfer that receives nothing for this long fails, so a silent server
// cannot keep the waiting indicator up for ever.
inline constexpr std::chrono::milliseconds kStallTimeout{30000};
// The whole exchange, from connecting to the last byte, ends as timed out
// after this long: a server that keeps just above the slow-body rule cannot
// keep the waiting indicator up for hours either.
inline constexpr std::chrono::milliseconds kExchangeTimeout{60000};

// A body that arrives slower than this on average over a whole stall time
// fails too: a server dripping a byte now and then is as good as silent.
inline constexpr long kMinimumBytesPerSecond = 100;

struct HttpLimits {
  std::chrono::milliseconds connectTimeout = kConnectTimeout;
  // Checked about once a second, so a transfer ends between this time and a
  // second later: nothing at all received for this long; the final
  // response's headers not complete this long after the start (endless
  // interim responses, dripped headers); a body slower than
  // kMinimumBytesPerSecond for this long (whole seconds, at least one).
  std::chrono::milliseconds stallTimeout = kStallTimeout;
  // Connect to last byte, however steadily the bytes come.
  std::chrono::milliseconds exchangeTimeout = kExchangeTimeout;
  std::size_t maxBodyBytes = kMaxBodyBytes;
};

struct HttpRequest {
  std::string url;  // absolute http:// or https:// URL, UTF-8; its port is used
  // Header lines to add, separated by CR LF (or LF); empty adds none.
  std::string extraHeaders;
  // When either flag is non-null and non-zero, the transfer ends at the
  // next chunk (or within about a second while nothing arrives): `cancel`
  // is the session's (its end), `requestCancel` the request's own (the user
  // stopped waiting for it).
  const std::atomic<int>* cancel = nullptr;
  const std::atomic<int>* requestCancel = nullptr;
  HttpLimits limits;
};

enum class HttpOutcome {
  Ok,         // the body (or, for a header request, the header block) arrived complete
  EmptyBody,  // the exchange worked but the body was empty
  BadUrl,     // not an absolute http or https URL
  Failed,     // no connection, broken transfer
  TimedOut,   // no connection in time, stalled, too slow, or over the exchange's time limit
  Cancelled,  // a cancel flag ended the transfer
  TooLarge,   // the body exceeded the limit
  NoFile,     // the temporary file could not be created or written
};

struct HttpResponse {
  HttpOutcome outcome = HttpOutcome::Failed;
  long status = 0;  // status code of the final response; 0 when none arrived
  // Status line and header lines of the final response, each ending in
  // CR LF, followed by the empty line.
  std::string rawHeaders;
  std::size_t bodyBytes = 0;  // bytes stored (or, for a header request, seen)

  bool Ok() const { return outcome == HttpOutcome::Ok; }
};

class HttpSession {
 public:
  HttpSession();
  ~HttpSession();
  HttpSession(const HttpSession&) = delete;
  HttpSession& operator=(const HttpSession&) = delete;

  // False when libcurl could not make a handle; every request then fails.
  bool Valid() const { return handle_ != nullptr; }

  // The body goes to a fresh temporary file (TempDirectory(), prefix "tmp",
  // mode 0600). Only with outcome Ok does `file` name it, and the caller
  // then owns it; otherwise `file` is empty and no file is left behind.
  HttpResponse GetToFile(const HttpRequest& request, std::filesystem::path& file);

  // The body goes into the buffer until the buffer is full or the body
  // ends; `received` is the number of bytes stored. Ok when at least one
  // byte arrived and the transfer did not break off before the buffer filled.
  HttpResponse GetToBuffer(const HttpRequest& request, std::span<std::uint8_t> buffer, std::size_t& received);

  // Only the response headers are wanted; the body is not stored. A short
  // body is read and dropped so that the connection stays usable.
  HttpResponse GetHeaders(const HttpRequest& request);

  // Where the body of one transfer goes (file, buffer, nowhere); defined
  // with the three kinds in the source file.
  class BodySink;

 private:
  HttpResponse Perform(const HttpRequest& request, BodySink& sink);

  struct CurlDeleter {
    void operator()(void* handle) const;
  };
  std::unique_ptr<void, CurlDeleter> handle_;
};

// Percent-encodes a value for a query string: the RFC 3986 unreserved
// characters (letters, digits, "-", ".", "_", "~") stay as they are, every
// other byte becomes "%XX". Ordinary values therefore come out unchanged.
std::string PercentEncode(std::string_view bytes);

// Where temporary answer files go: $TMPDIR, or /tmp when it is not set.
std::filesystem::path TempDirectory();

}  // namespace kestrova::platform
