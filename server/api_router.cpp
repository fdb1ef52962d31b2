#include "api_router.h"

#include <iostream>

#include "xml_writer.h"

namespace kestrova::server {
namespace {

constexpr const char* kXmlType = "text/xml; charset=utf-8";
constexpr int kNotFound = 404;

}  // namespace

std::string ErrorDocument(int id, std::string_view text) {
  XmlElement error("error");
  error.Attr("id", id).Text(text);
  return error.Document();
}

void ApiRouter::Add(std::string script, ApiHandler handler) { scripts_[std::move(script)] = std::move(handler); }

void ApiRouter::Install(httplib::Server& http) {
  http.Get(R"(/([A-Za-z0-9_]+\.php))",
           [this](const httplib::Request& request, httplib::Response& response) { Dispatch(request, response); });
}

void ApiRouter::Dispatch(const httplib::Request& request, httplib::Response& response) const {
  const auto it = scripts_.find(request.matches[1].str());
  if (it == scripts_.end()) {
    response.status = kNotFound;
    response.set_content("unknown script\n", "text/plain");
    return;
  }
  const ApiRequest api(request, fallback_base_url_);
  try {
    response.set_content(it->second(api), kXmlType);
  } catch (const ApiFailure& failure) {
    response.set_content(ErrorDocument(failure.Id(), failure.Text()), kXmlType);
  } catch (const std::exception& fault) {
    std::cerr << "kestrova-server: " << request.path << ": " << fault.what() << "\n";
    response.set_content(ErrorDocument(kErrorInternal, Text(TextId::kInternalError, api.Lang())), kXmlType);
  }
}

}  // namespace kestrova::server
