// Dispatches "/<script>.php" requests to the API handlers and turns every
// outcome into an XML answer: the handler's document, or an error element for
// a failed request or an internal fault. Unknown scripts get 404.
#pragma once

#include <httplib.h>

#include <functional>
#include <map>
#include <string>

#include "api_request.h"

namespace kestrova::server {

using ApiHandler = std::function<std::string(const ApiRequest&)>;

std::string ErrorDocument(int id, std::string_view text);

class ApiRouter {
 public:
  explicit ApiRouter(std::string fallback_base_url) : fallback_base_url_(std::move(fallback_base_url)) {}

  // script: the file name, e.g. "login.php".
  void Add(std::string script, ApiHandler handler);
  // Registers the dispatch on the HTTP server; the router must outlive it.
  void Install(httplib::Server& http);

 private:
  void Dispatch(const httplib::Request& request, httplib::Response& response) const;

  std::string fallback_base_url_;
  std::map<std::string, ApiHandler, std::less<>> scripts_;
};

}  // namespace kestrova::server
