#include "service_routes.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "api_request.h"

namespace kestrova::server {
namespace {

constexpr int kBadRequest = 400;
constexpr int kNotFound = 404;
constexpr int kServerError = 500;

bool IsLoopback(const std::string& address) {
  return address == "127.0.0.1" || address == "::1" || address == "::ffff:127.0.0.1";
}

std::string AsciiLower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// A proxy in front adds one of these: the request is then not this machine's.
bool IsForwarded(const httplib::Request& request) {
  for (const auto& [name, value] : request.headers) {
    const std::string lower = AsciiLower(name);
    if (lower == "forwarded" || lower == "x-real-ip" || lower.rfind("x-forwarded-", 0) == 0) return true;
  }
  return false;
}

void NotFound(httplib::Response& response, const char* text) {
  response.status = kNotFound;
  response.set_content(text, "text/plain");
}

}  // namespace

void InstallRequestRecording(httplib::Server& http, RequestLog& log, std::function<bool()> again) {
  http.set_pre_routing_handler([&log, again = std::move(again)](const httplib::Request& request, httplib::Response&) {
    if (request.path != kRequestLogPath && !(again && again())) log.Record(request.target);
    return httplib::Server::HandlerResponse::Unhandled;
  });
}

void InstallServiceRoutes(httplib::Server& http, const Catalogue& catalogue, const LogoStore& logos) {
  // The client's connection probe: any answer will do.
  http.Get("/blank.php", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("<html><body></body></html>\n", "text/html");
  });

  http.Get(R"(/logos/([a-z0-9_]+\.png))", [&logos](const httplib::Request& request, httplib::Response& response) {
    const std::string* png = logos.Find(request.matches[1].str());
    if (png == nullptr) return NotFound(response, "no such logo\n");
    response.set_content(*png, "image/png");
  });

  http.Get(R"(/previews/([0-9]+)/([0-9]+)\.jpg)", [&catalogue](const httplib::Request& request,
                                                               httplib::Response& response) {
    const auto id = ParseStrictInt(request.matches[1].str());
    const auto number = ParseStrictInt(request.matches[2].str());
    if (!id || !number || *number < 1 || *number > kPreviewsPerVideo) return NotFound(response, "no such picture\n");
    // Pictures are drawn with the English title: the built-in font is Latin only.
    std::string title;
    if (const Video* video = catalogue.FindVideo(*id)) title = video->name.In(Language::kEnglish);
    if (const Show* show = catalogue.FindShow(*id)) title = show->name.In(Language::kEnglish);
    if (title.empty()) return NotFound(response, "no such video\n");
    const auto jpeg = DrawPreviewJpeg(title, *number, *id);
    if (!jpeg) {
      response.status = kServerError;
      response.set_content("picture could not be drawn\n", "text/plain");
      return;
    }
    response.set_content(*jpeg, "image/jpeg");
  });

  http.Get(R"(/download/.*)", [&catalogue](const httplib::Request&, httplib::Response& response) {
    response.set_content("<html><body><h1>Kestrova " + catalogue.latest_version +
                             "</h1><p>Install the new version from your distribution's packages.</p></body></html>\n",
                         "text/html; charset=utf-8");
  });
}

void InstallRequestLogReadOut(httplib::Server& http, RequestLog& log) {
  http.Get(kRequestLogPath, [&log](const httplib::Request& request, httplib::Response& response) {
    // Request lines tell who uses the service and how: only this machine may read them.
    if (!IsLoopback(request.remote_addr) || IsForwarded(request)) return NotFound(response, "not found\n");
    std::string body;
    for (const auto& target : log.Snapshot(request.has_param("clear"))) body += target + "\n";
    response.set_content(body, "text/plain; charset=utf-8");
  });
}

void InstallLinkControl(httplib::Server& http, LinkLimit& link) {
  http.Get(kLinkControlPath, [&link](const httplib::Request& request, httplib::Response& response) {
    if (!IsLoopback(request.remote_addr) || IsForwarded(request)) return NotFound(response, "not found\n");
    if (request.has_param("set")) {
      const auto kbps = ParseStrictInt(request.get_param_value("set"));
      if (!kbps || *kbps < 0 || *kbps > LinkLimit::kMaxKbps) {
        response.status = kBadRequest;
        response.set_content("bad limit\n", "text/plain");
        return;
      }
      link.SetKbps(*kbps);
    }
    response.set_content(std::to_string(link.Kbps()) + "\n", "text/plain");
  });
}

}  // namespace kestrova::server
