// A real HTTP server on an ephemeral port of 127.0.0.1, run by a test: it
// answers each path with the reply its handler makes and records every
// request it saw. Replies can be slowed down or stall part-way, so time-outs
// and cancellation can be tested against a real socket.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kestrova::test {

struct LoopbackRequest {
  std::string path;    // "/countries.php"
  std::string target;  // path and query exactly as sent
  std::string query;   // the text after "?", as sent
  std::multimap<std::string, std::string> params;  // query items, decoded
  std::map<std::string, std::string> headers;      // names in lower case
  int remotePort = 0;  // the client's port: one per connection

  std::string Param(const std::string& name) const;
  std::size_t ParamCount(const std::string& name) const { return params.count(name); }
  std::string Header(const std::string& lowerCaseName) const;
};

struct LoopbackReply {
  static constexpr std::size_t kNever = static_cast<std::size_t>(-1);

  int status = 200;
  std::string body;
  std::string contentType = "text/xml; charset=utf-8";
  std::vector<std::pair<std::string, std::string>> headers;
  // The body in pieces of this many bytes with a pause after each; 0 sends
  // it in one go.
  std::size_t pieceBytes = 0;
  std::chrono::milliseconds pause{0};
  // After this many body bytes the server sends nothing more and holds the
  // connection until the client leaves or the server stops.
  std::size_t stallAfter = kNever;
  // Chunked transfer without a Content-Length.
  bool chunked = false;
};

using LoopbackHandler = std::function<LoopbackReply(const LoopbackRequest&)>;

class LoopbackServer {
 public:
  // Listens on 127.0.0.1 at a free port and serves on its own threads.
  LoopbackServer();
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  int Port() const;
  std::string BaseUrl() const;        // "http://127.0.0.1:<port>"
  std::wstring WideBaseUrl() const;

  // Requests for the path (without query) get the handler's reply; other
  // paths get 404 with an empty body.
  void Handle(const std::string& path, LoopbackHandler handler);
  // A fixed reply for the path.
  void Serve(const std::string& path, LoopbackReply reply);
  void Serve(const std::string& path, std::string body, int status = 200);

  std::vector<LoopbackRequest> Requests() const;
  std::size_t RequestCount() const;
  LoopbackRequest LastRequest() const;  // a default one when none came
  // Body bytes sent so far, over all requests.
  std::size_t BodyBytesSent() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kestrova::test
