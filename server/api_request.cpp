#include "api_request.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "ip_address.h"

namespace kestrova::server {
namespace {

constexpr std::size_t kMaxHostLength = 255;
constexpr const char* kForwardedFor = "X-Forwarded-For";
constexpr std::string_view kListBlanks = " \t";

// The Host header goes into links the server hands out; a value with anything
// but host and port characters is not trusted.
bool IsPlainHost(std::string_view host) {
  return !host.empty() && host.size() <= kMaxHostLength && std::all_of(host.begin(), host.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '-' || c == ':' || c == '[' ||
           c == ']';
  });
}

std::string_view TrimBlanks(std::string_view text) {
  const auto start = text.find_first_not_of(kListBlanks);
  if (start == std::string_view::npos) return {};
  return text.substr(start, text.find_last_not_of(kListBlanks) - start + 1);
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

std::string ApiRequest::CallerAddress(const std::vector<std::string>& trusted_proxies) const {
  std::string peer = CanonicalAddress(request_.remote_addr).value_or(request_.remote_addr);
  const std::size_t headers = request_.get_header_value_count(kForwardedFor);
  if (headers == 0 || std::find(trusted_proxies.begin(), trusted_proxies.end(), peer) == trusted_proxies.end()) {
    return peer;
  }
  // The proxy appends the address it saw to the end of the last header.
  const std::string forwarded = request_.get_header_value(kForwardedFor, headers - 1);
  std::string_view last(forwarded);
  if (const auto comma = last.rfind(','); comma != std::string_view::npos) last.remove_prefix(comma + 1);
  // A proxy that sent no usable address: its own address stands.
  return CanonicalAddress(TrimBlanks(last)).value_or(std::move(peer));
}

void ApiRequest::Fail(int id, TextId text, std::initializer_list<std::string_view> values) const {
  throw ApiFailure(id, server::Text(text, language_, values));
}

}  // namespace kestrova::server
