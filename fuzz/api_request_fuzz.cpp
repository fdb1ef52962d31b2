// A request as the API scripts read it: the first line of the input is the
// query string (split as the HTTP server splits it), every further line a
// "Name: value" header. Each value reader must answer or fail with an
// ApiFailure, never anything else.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <httplib.h>

#include "api_request.h"

namespace {

using kestrova::server::ApiFailure;
using kestrova::server::ApiRequest;

template <typename Read>
void Try(Read read) {
  try {
    read();
  } catch (const ApiFailure& failure) {
    if (failure.Id() <= 0) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(bytes), size);
  const std::size_t lineEnd = input.find('\n');
  httplib::Request request;
  httplib::detail::parse_query_text(std::string(input.substr(0, lineEnd)), request.params);
  if (lineEnd != std::string_view::npos) {
    std::string_view headers = input.substr(lineEnd + 1);
    while (!headers.empty()) {
      const std::size_t end = headers.find('\n');
      const std::string_view line = headers.substr(0, end);
      const std::size_t colon = line.find(':');
      if (colon != std::string_view::npos) {
        request.headers.emplace(std::string(line.substr(0, colon)), std::string(line.substr(colon + 1)));
      }
      if (end == std::string_view::npos) break;
      headers.remove_prefix(end + 1);
    }
  }

  const ApiRequest api(request, "http://127.0.0.1:8080");
  if (api.BaseUrl().rfind("http://", 0) != 0) std::abort();
  for (const char* key : {"user_id", "user_key", "lng_id", "channel_id", "page", "login", "x"}) {
    Try([&] { static_cast<void>(api.Text(key)); });
    Try([&] { static_cast<void>(api.Int(key)); });
    Try([&] { static_cast<void>(api.IntOr(key, 0)); });
    Try([&] { static_cast<void>(api.TextOr(key, "")); });
  }
  for (const auto& param : request.params) {
    Try([&] { static_cast<void>(api.Int(param.first)); });
    static_cast<void>(kestrova::server::ParseStrictInt(param.second));
  }
  static_cast<void>(api.Header("Text"));
  return 0;
}
