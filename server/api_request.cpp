#include "api_request.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace kestrova::server {
namespace {

constexpr std::size_t kMaxHostLength = 255;

// The Host header goes into links the server hands out; a value with anything
// but host and port characters is not trusted.
bool IsPlainHost(std::string_view host) {
  return !host.empty() && host.size() <= kMaxHostLength && std::all_of(host.begin(), host.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '-' || c == ':' || c == '[' ||
           c == ']';
  });
}

}  // namespace

std::optional<int> ParseStrictInt(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

ApiRequest::ApiRequest(const httplib::Request& request, std::string fallback_base_url)
    : request_(request), language_(LanguageFromLngId(request.get_param_value("lng_id"))) {
  // The links the answers carry (the stream control, the update page) follow
  // the address the client used. Behind a TLS reverse proxy on the same
  // machine (the server listens on loopback) the proxy says the client came
  // by https, so the stream goes through the proxy too.
  const std::string host = request.get_header_value("Host");
  const bool secure = request.get_header_value("X-Forwarded-Proto") == "https";
  base_url_ = IsPlainHost(host) ? (secure ? "https://" : "http://") + host : std::move(fallback_base_url);
}

bool ApiRequest::Has(std::string_view key) const { return request_.has_param(std::string(key).c_str()); }

std::string ApiRequest::Text(std::string_view key) const {
  if (!Has(key)) Fail(kErrorMissingParameter, TextId::kMissingParameter, {key});
  return request_.get_param_value(std::string(key).c_str());
}

int ApiRequest::Int(std::string_view key) const {
  const auto value = ParseStrictInt(Text(key));
  if (!value) Fail(kErrorBadParameter, TextId::kBadParameter, {key});
  return *value;
}

std::string ApiRequest::TextOr(std::string_view key, std::string_view fallback) const {
  return Has(key) ? Text(key) : std::string(fallback);
}

int ApiRequest::IntOr(std::string_view key, int fallback) const { return Has(key) ? Int(key) : fallback; }

std::string ApiRequest::Header(std::string_view name) const {
  return request_.get_header_value(std::string(name).c_str());
}

void ApiRequest::Fail(int id, TextId text, std::initializer_list<std::string_view> values) const {
  throw ApiFailure(id, server::Text(text, language_, values));
}

}  // namespace kestrova::server
