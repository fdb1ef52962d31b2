#include "support/loopback_server.h"

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace kestrova::test {

namespace {
constexpr const char* kLoopbackHost = "127.0.0.1";
constexpr std::chrono::milliseconds kPollStep{5};
constexpr std::chrono::seconds kStartTimeout{5};
// Short, so that a connection the client keeps open does not hold up the
// end of a test for long.
constexpr time_t kKeepAliveSeconds = 1;
}  // namespace

std::string LoopbackRequest::Param(const std::string& name) const {
  const auto it = params.find(name);
  return it != params.end() ? it->second : std::string();
}

std::string LoopbackRequest::Header(const std::string& lowerCaseName) const {
  const auto it = headers.find(lowerCaseName);
  return it != headers.end() ? it->second : std::string();
}

struct LoopbackServer::Impl {
  httplib::Server server;
  std::thread thread;
  int port = -1;
  std::atomic<bool> stopping{false};
  std::atomic<std::size_t> bodyBytesSent{0};

  mutable std::mutex mutex;  // guards handlers and requests (server threads and the test)
  std::map<std::string, LoopbackHandler> handlers;
  std::vector<LoopbackRequest> requests;

  // Sleeps for the duration; false when the server is stopping meanwhile.
  bool Wait(std::chrono::milliseconds duration) const {
    const auto end = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < end) {
      if (stopping) return false;
      std::this_thread::sleep_for(kPollStep);
    }
    return !stopping;
  }

  static LoopbackRequest Record(const httplib::Request& request) {
    LoopbackRequest seen;
    seen.path = request.path;
    seen.target = request.target;
    if (const auto mark = request.target.find('?'); mark != std::string::npos) seen.query = request.target.substr(mark + 1);
    seen.params.insert(request.params.begin(), request.params.end());
    for (const auto& [name, value] : request.headers) {
      std::string lower = name;
      std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
      seen.headers[lower] = value;
    }
    seen.remotePort = request.remote_port;
    return seen;
  }

  // Writes the next piece of a slow or stalling body.
  bool Provide(const LoopbackReply& reply, std::size_t offset, httplib::DataSink& sink) {
    if (offset >= reply.stallAfter) {
      while (Wait(std::chrono::milliseconds(100))) {
      }
      return false;
    }
    const std::size_t piece = reply.pieceBytes > 0 ? reply.pieceBytes : reply.body.size();
    const std::size_t end = std::min({reply.body.size(), offset + piece, reply.stallAfter});
    if (end > offset) {
      if (!sink.write(reply.body.data() + offset, end - offset)) return false;
      bodyBytesSent += end - offset;
    }
    return reply.pause.count() == 0 || Wait(reply.pause);
  }

  void Answer(const httplib::Request& request, httplib::Response& response) {
    LoopbackRequest seen = Record(request);
    LoopbackHandler handler;
    {
      std::lock_guard lock(mutex);
      requests.push_back(seen);
      if (const auto it = handlers.find(seen.path); it != handlers.end()) handler = it->second;
    }
    if (!handler) {
      response.status = 404;
      return;
    }
    auto reply = std::make_shared<LoopbackReply>(handler(seen));
    response.status = reply->status;
    for (const auto& [name, value] : reply->headers) response.set_header(name, value);
    const bool plain = reply->pieceBytes == 0 && reply->stallAfter == LoopbackReply::kNever && !reply->chunked;
    if (plain) {
      bodyBytesSent += reply->body.size();
      if (!reply->body.empty()) response.set_content(reply->body, reply->contentType.c_str());
      return;
    }
    if (reply->chunked) {
      response.set_chunked_content_provider(reply->contentType, [this, reply](std::size_t offset, httplib::DataSink& sink) {
        if (offset >= reply->body.size()) {
          sink.done();
          return true;
        }
        return Provide(*reply, offset, sink);
      });
    } else {
      response.set_content_provider(reply->body.size(), reply->contentType,
                                    [this, reply](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                      return Provide(*reply, offset, sink);
                                    });
    }
  }
};

LoopbackServer::LoopbackServer() : impl_(std::make_unique<Impl>()) {
  Impl& impl = *impl_;
  impl.server.set_keep_alive_timeout(kKeepAliveSeconds);
  impl.server.Get(".*", [&impl](const httplib::Request& request, httplib::Response& response) {
    impl.Answer(request, response);
  });
  impl.port = impl.server.bind_to_any_port(kLoopbackHost);
  if (impl.port <= 0) throw std::runtime_error("loopback server: no free port");
  impl.thread = std::thread([&impl] { impl.server.listen_after_bind(); });
  const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
  while (!impl.server.is_running() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(kPollStep);
  }
}

LoopbackServer::~LoopbackServer() {
  impl_->stopping = true;
  impl_->server.stop();
  if (impl_->thread.joinable()) impl_->thread.join();
}

int LoopbackServer::Port() const { return impl_->port; }

std::string LoopbackServer::BaseUrl() const { return std::string("http://") + kLoopbackHost + ":" + std::to_string(Port()); }

std::wstring LoopbackServer::WideBaseUrl() const {
  const std::string url = BaseUrl();
  return std::wstring(url.begin(), url.end());
}

void LoopbackServer::Handle(const std::string& path, LoopbackHandler handler) {
  std::lock_guard lock(impl_->mutex);
  impl_->handlers[path] = std::move(handler);
}

void LoopbackServer::Serve(const std::string& path, LoopbackReply reply) {
  Handle(path, [reply = std::move(reply)](const LoopbackRequest&) { return reply; });
}

void LoopbackServer::Serve(const std::string& path, std::string body, int status) {
  LoopbackReply reply;
  reply.body = std::move(body);
  reply.status = status;
  Serve(path, std::move(reply));
}

std::vector<LoopbackRequest> LoopbackServer::Requests() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->requests;
}

std::size_t LoopbackServer::RequestCount() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->requests.size();
}

LoopbackRequest LoopbackServer::LastRequest() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->requests.empty() ? LoopbackRequest() : impl_->requests.back();
}

std::size_t LoopbackServer::BodyBytesSent() const { return impl_->bodyBytesSent; }

}  // namespace kestrova::test
