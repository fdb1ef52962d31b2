#include "api_scripts.h"

#include <utility>

namespace kestrova::server {

ApiScripts::ApiScripts(ServerContext& context, std::string fallback_base_url)
    : router_(std::move(fallback_base_url)), account_(context), catalogue_(context), billing_(context) {
  account_.Register(router_);
  catalogue_.Register(router_);
  billing_.Register(router_);
}

}  // namespace kestrova::server
