#include "platform/http.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <system_error>

#include "platform/file_descriptor.h"

namespace kestrova::platform {

namespace {

// A header request reads and drops at most this much body, so the kept
// connection stays usable after a short body; a longer body is cut off
// (the connection then closes and the next request opens a new one).
constexpr std::size_t kHeaderRequestDrainBytes = 64 * 1024;
// No sane server sends more header text than this.
constexpr std::size_t kMaxHeaderBytes = 256 * 1024;
// Redirects are followed, but not for ever.
constexpr long kMaxRedirects = 5;
constexpr const char* kAllowedProtocols = "http,https";

bool Raised(const std::atomic<int>* flag) { return flag != nullptr && flag->load(std::memory_order_relaxed) != 0; }

bool CancelRequested(const HttpRequest& request) { return Raised(request.cancel) || Raised(request.requestCancel); }

void InitialiseCurlOnce() {
  // libcurl must be initialised once before any thread makes a handle.
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct SlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using SlistPtr = std::unique_ptr<curl_slist, SlistDeleter>;

struct UrlDeleter {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using UrlPtr = std::unique_ptr<CURLU, UrlDeleter>;

struct CurlTextDeleter {
  void operator()(char* text) const { curl_free(text); }
};
using CurlTextPtr = std::unique_ptr<char, CurlTextDeleter>;

constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendEscaped(std::string& out, unsigned char byte) {
  out += '%';
  out += kHexDigits[byte >> 4];
  out += kHexDigits[byte & 0x0F];
}

// Bytes that may not stand in a URL as they are (blanks, controls,
// non-ASCII and a few delimiters) are escaped; everything else, "%"
// included, is left alone so an already encoded URL is unchanged.
std::string EscapeUnsafeUrlBytes(std::string_view url) {
  static constexpr std::string_view kUnsafe = "\"<>\\^`{|}";
  std::string out;
  out.reserve(url.size());
  for (const char c : url) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F || kUnsafe.find(c) != std::string_view::npos) AppendEscaped(out, byte);
    else out += c;
  }
  return out;
}

// The URL with unsafe bytes escaped, or "" when it is not an absolute
// http or https URL with a host.
std::string CanonicalUrl(std::string_view url) {
  std::string canonical = EscapeUnsafeUrlBytes(url);
  const UrlPtr parsed(curl_url());
  if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, canonical.c_str(), 0) != CURLUE_OK) return {};
  char* scheme = nullptr;
  char* host = nullptr;
  const bool hasScheme = curl_url_get(parsed.get(), CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK;
  const CurlTextPtr schemeText(scheme);
  const bool hasHost = curl_url_get(parsed.get(), CURLUPART_HOST, &host, 0) == CURLUE_OK;
  const CurlTextPtr hostText(host);
  if (!hasScheme || !hasHost || *host == '\0') return {};
  const std::string_view schemeView(scheme);
  if (schemeView != "http" && schemeView != "https") return {};
  return canonical;
}

// The extra header lines for curl. Control characters inside a line become
// blanks, so a value cannot start a header line of its own.
SlistPtr HeaderList(std::string_view text) {
  SlistPtr list;
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    std::string clean(line);
    for (char& c : clean) {
      const auto byte = static_cast<unsigned char>(c);
      if ((byte < 0x20 && c != '\t') || byte == 0x7F) c = ' ';
    }
    // Appending returns the head of the list: the new one for the first line.
    curl_slist* head = curl_slist_append(list.get(), clean.c_str());
    if (head == nullptr) break;  // out of memory: send what we have
    if (!list) list.reset(head);
  }
  return list;
}

// A fresh temporary file, removed again unless the caller takes it.
class TempFile {
 public:
  TempFile() = default;
  ~TempFile() {
    Close();
    if (!path_.empty() && !kept_) {
      std::error_code ignored;
      std::filesystem::remove(path_, ignored);
    }
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  bool Create() {
    std::string name = (TempDirectory() / (std::string(kTempFilePrefix) + "XXXXXX")).string();
    // mkostemp creates the file with mode 0600.
    fd_ = FileDescriptor(::mkostemp(name.data(), O_CLOEXEC));
    if (!fd_.Valid()) return false;
    path_ = name;
    return true;
  }
  bool IsOpen() const { return fd_.Valid(); }

  bool Write(const char* data, std::size_t size) { return WriteAll(fd_.Get(), std::string_view(data, size)); }

  bool Close() { return fd_.Close(); }

  std::filesystem::path Keep() {
    kept_ = true;
    return path_;
  }

 private:
  FileDescriptor fd_;
  std::filesystem::path path_;
  bool kept_ = false;
};

}  // namespace

// Where the body of one transfer goes.
class HttpSession::BodySink {
 public:
  enum class Step { Continue, Complete, Failed };

  virtual ~BodySink() = default;
  // Stores the next piece of the body. Complete ends the transfer as a
  // success (buffer full, enough drained); Failed ends it as a failure.
  virtual Step Write(const char* data, std::size_t size) = 0;
  // Called after a transfer that did not break off; false when storing failed.
  virtual bool Finish() { return true; }
  // Whether an empty body counts as a failure.
  virtual bool WantsBody() const { return true; }
};

namespace {

class FileSink final : public HttpSession::BodySink {
 public:
  Step Write(const char* data, std::size_t size) override {
    if (!file_.IsOpen() && !file_.Create()) return Step::Failed;
    return file_.Write(data, size) ? Step::Continue : Step::Failed;
  }
  bool Finish() override { return file_.Close(); }
  std::filesystem::path Keep() { return file_.Keep(); }

 private:
  TempFile file_;
};

class BufferSink final : public HttpSession::BodySink {
 public:
  explicit BufferSink(std::span<std::uint8_t> buffer) : buffer_(buffer) {}
  Step Write(const char* data, std::size_t size) override {
    const std::size_t room = buffer_.size() - stored_;
    const std::size_t take = size < room ? size : room;
    std::copy_n(reinterpret_cast<const std::uint8_t*>(data), take, buffer_.begin() + static_cast<std::ptrdiff_t>(stored_));
    stored_ += take;
    return stored_ == buffer_.size() ? Step::Complete : Step::Continue;
  }
  std::size_t Stored() const { return stored_; }

 private:
  std::span<std::uint8_t> buffer_;
  std::size_t stored_ = 0;
};

class DiscardSink final : public HttpSession::BodySink {
 public:
  Step Write(const char*, std::size_t size) override {
    drained_ += size;
    return drained_ > kHeaderRequestDrainBytes ? Step::Complete : Step::Continue;
  }
  bool WantsBody() const override { return false; }

 private:
  std::size_t drained_ = 0;
};

// The state of one transfer, shared with curl's callbacks.
struct Transfer {
  Transfer(const HttpRequest& forRequest, HttpSession::BodySink& toSink) : request(forRequest), sink(toSink) {}

  const HttpRequest& request;
  HttpSession::BodySink& sink;
  std::string headers;
  bool headersComplete = false;
  bool interimResponse = false;  // the header block being read is a 1xx one
  bool finalHeaders = false;     // the headers of the real response are complete
  const std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
  std::size_t bodyBytes = 0;
  HttpSession::BodySink::Step stop = HttpSession::BodySink::Step::Continue;
  bool tooLarge = false;
  bool cancelled = false;
  bool timedOut = false;  // ended by the stall rules of the progress callback
  // When the last header or body bytes arrived (or the transfer began).
  std::chrono::steady_clock::time_point lastActivity = std::chrono::steady_clock::now();
};

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
  auto& transfer = *static_cast<Transfer*>(user);
  const std::size_t bytes = size * count;
  transfer.lastActivity = std::chrono::steady_clock::now();
  std::string_view line(data, bytes);
  // Each response (a redirect, an interim 100) starts its own header block;
  // only the last one is kept.
  if (line.starts_with("HTTP/")) {
    transfer.headers.clear();
    transfer.headersComplete = false;
    const auto space = line.find(' ');
    transfer.interimResponse = space != std::string_view::npos && space + 1 < line.size() && line[space + 1] == '1';
  }
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  if (transfer.headers.size() + line.size() > kMaxHeaderBytes) return 0;
  transfer.headers.append(line);
  transfer.headers += "\r\n";
  if (line.empty()) {
    transfer.headersComplete = true;
    if (!transfer.interimResponse) transfer.finalHeaders = true;
  }
  return bytes;
}

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto& transfer = *static_cast<Transfer*>(user);
  const std::size_t bytes = size * count;
  transfer.lastActivity = std::chrono::steady_clock::now();
  if (CancelRequested(transfer.request)) {
    transfer.cancelled = true;
    return 0;
  }
  if (bytes > transfer.request.limits.maxBodyBytes - transfer.bodyBytes) {
    transfer.tooLarge = true;
    return 0;
  }
  transfer.bodyBytes += bytes;
  transfer.stop = transfer.sink.Write(data, bytes);
  return transfer.stop == HttpSession::BodySink::Step::Continue ? bytes : 0;
}

// Runs about once a second even while nothing arrives.
int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto& transfer = *static_cast<Transfer*>(user);
  if (CancelRequested(transfer.request)) {
    transfer.cancelled = true;
    return 1;
  }
  const auto now = std::chrono::steady_clock::now();
  const auto limit = transfer.request.limits.stallTimeout;
  // Silent for too long, or still without the real response's headers (any
  // byte keeps a line "alive", endless interim responses included): the
  // transfer ends as timed out. A slow body is curl's low-speed limit, the
  // whole exchange's time curl's overall time-out.
  transfer.timedOut =
      now - transfer.lastActivity >= limit || (!transfer.finalHeaders && now - transfer.started >= limit);
  return transfer.timedOut ? 1 : 0;
}

HttpResponse Fail(HttpOutcome outcome) {
  HttpResponse response;
  response.outcome = outcome;
  return response;
}

}  // namespace

void HttpSession::CurlDeleter::operator()(void* handle) const { curl_easy_cleanup(static_cast<CURL*>(handle)); }

HttpSession::HttpSession() {
  InitialiseCurlOnce();
  handle_.reset(curl_easy_init());
}

HttpSession::~HttpSession() = default;

HttpResponse HttpSession::Perform(const HttpRequest& request, BodySink& sink) {
  if (!Valid()) return Fail(HttpOutcome::Failed);
  const std::string url = CanonicalUrl(request.url);
  if (url.empty()) return Fail(HttpOutcome::BadUrl);
  if (CancelRequested(request)) return Fail(HttpOutcome::Cancelled);

  auto* curl = static_cast<CURL*>(handle_.get());
  // A kept handle forgets the previous request's options but keeps its
  // open connection.
  curl_easy_reset(curl);
  Transfer transfer(request, sink);
  const SlistPtr headers = HeaderList(request.extraHeaders);

  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, kAllowedProtocols);
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, kAllowedProtocols);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, kHttpAgent);
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get());
  // Worker threads: no signals for time-outs.
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(request.limits.connectTimeout.count()));
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(request.limits.exchangeTimeout.count()));
  const auto lowSpeedSeconds =
      std::max<long>(1, static_cast<long>(std::chrono::duration_cast<std::chrono::seconds>(request.limits.stallTimeout).count()));
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, kMinimumBytesPerSecond);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, lowSpeedSeconds);
  // An announced length over the limit fails before the body is read; a
  // header request drops the body anyway and need not refuse it.
  if (sink.WantsBody()) {
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(request.limits.maxBodyBytes));
  }
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &OnHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &OnBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
  // The progress callback also runs while nothing arrives: it ends a
  // transfer on the cancel flag and one that has been silent too long.
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &OnProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);

  const CURLcode code = curl_easy_perform(curl);
  // The header list dies with this call; the handle must not point at it.
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);

  HttpResponse response;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
  response.rawHeaders = std::move(transfer.headers);
  response.bodyBytes = transfer.bodyBytes;

  using Step = BodySink::Step;
  if (transfer.cancelled) response.outcome = HttpOutcome::Cancelled;
  else if (transfer.tooLarge || code == CURLE_FILESIZE_EXCEEDED) response.outcome = HttpOutcome::TooLarge;
  else if (transfer.stop == Step::Failed) response.outcome = HttpOutcome::NoFile;
  else if (transfer.stop != Step::Complete && code != CURLE_OK) {
    if (transfer.timedOut || code == CURLE_OPERATION_TIMEDOUT) response.outcome = HttpOutcome::TimedOut;
    else if (code == CURLE_URL_MALFORMAT || code == CURLE_UNSUPPORTED_PROTOCOL) response.outcome = HttpOutcome::BadUrl;
    else response.outcome = HttpOutcome::Failed;
  } else if (!transfer.headersComplete) response.outcome = HttpOutcome::Failed;
  else if (!sink.Finish()) response.outcome = HttpOutcome::NoFile;
  else if (sink.WantsBody() && transfer.bodyBytes == 0) response.outcome = HttpOutcome::EmptyBody;
  else response.outcome = HttpOutcome::Ok;
  return response;
}

HttpResponse HttpSession::GetToFile(const HttpRequest& request, std::filesystem::path& file) {
  file.clear();
  FileSink sink;
  HttpResponse response = Perform(request, sink);
  if (response.Ok()) file = sink.Keep();
  return response;
}

HttpResponse HttpSession::GetToBuffer(const HttpRequest& request, std::span<std::uint8_t> buffer,
                                      std::size_t& received) {
  received = 0;
  // A zero-sized buffer cannot receive anything; no request is made.
  if (buffer.empty()) return Fail(HttpOutcome::EmptyBody);
  BufferSink sink(buffer);
  HttpResponse response = Perform(request, sink);
  received = sink.Stored();
  return response;
}

HttpResponse HttpSession::GetHeaders(const HttpRequest& request) {
  DiscardSink sink;
  return Perform(request, sink);
}

std::string PercentEncode(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                            c == '.' || c == '_' || c == '~';
    if (unreserved) out += c;
    else AppendEscaped(out, static_cast<unsigned char>(c));
  }
  return out;
}

std::filesystem::path TempDirectory() {
  const char* directory = std::getenv("TMPDIR");
  return (directory != nullptr && *directory != '\0') ? std::filesystem::path(directory)
                                                       : std::filesystem::path("/tmp");
}

}  // namespace kestrova::platform
