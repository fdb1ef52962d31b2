#include "sms_file_key.h"

#include <algorithm>
#include <charconv>

namespace kestrova::server {
namespace {

constexpr std::string_view kClientPrefix = "kestrova-";
constexpr std::size_t kSha256HexLength = 64;
// Milliseconds since 1970 have 13 digits until the year 2286.
constexpr std::size_t kMaxTimeDigits = 15;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsLetterOrDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// A non-empty text of only such characters.
bool AllOf(std::string_view text, bool (*is)(char)) {
  return !text.empty() && std::all_of(text.begin(), text.end(), is);
}

std::optional<std::int64_t> Whole(std::string_view digits) {
  if (!AllOf(digits, IsDigit) || digits.size() > kMaxTimeDigits) return std::nullopt;
  std::int64_t value = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return value;
}

// The name without its last ".<n>" ending; nullopt when it has none.
std::optional<std::string_view> WithoutNumberEnding(std::string_view name) {
  const auto dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0 || !AllOf(name.substr(dot + 1), IsDigit)) return std::nullopt;
  return name.substr(0, dot);
}

// The name without any ".<n>" ending.
std::string_view OriginalName(std::string_view name) {
  while (const auto shorter = WithoutNumberEnding(name)) name = *shorter;
  return name;
}

}  // namespace

std::vector<std::string_view> FormerNames(std::string_view name) {
  std::vector<std::string_view> names{name};
  while (const auto shorter = WithoutNumberEnding(names.back())) names.push_back(*shorter);
  return names;
}

std::optional<std::int64_t> ClientSendTime(std::string_view name) {
  const std::string_view original = OriginalName(name);
  if (!original.starts_with(kClientPrefix)) return std::nullopt;
  const std::string_view rest = original.substr(kClientPrefix.size());
  const auto dash = rest.find('-');
  if (dash == std::string_view::npos || !AllOf(rest.substr(dash + 1), IsLetterOrDigit)) return std::nullopt;
  return Whole(rest.substr(0, dash));
}

std::string SmsFileKey(std::string_view content_sha256_hex, std::string_view name, std::int64_t modified_seconds) {
  // File names hold no "/", so the parts cannot run into each other.
  std::string key = std::string(content_sha256_hex) + "/" + std::string(name);
  if (!ClientSendTime(name)) key += "/" + std::to_string(modified_seconds);
  return key;
}

std::int64_t SmsSentTime(std::string_view name, std::int64_t modified_ms, std::int64_t now_ms) {
  return std::min(ClientSendTime(name).value_or(modified_ms), now_ms);
}

std::optional<InodeKey> ParseInodeKey(std::string_view key) {
  const auto first_dash = key.find('-');
  const auto last_dash = key.rfind('-');
  if (first_dash == std::string_view::npos || last_dash == first_dash) return std::nullopt;
  const std::string_view hex = key.substr(last_dash + 1);
  if (hex.size() != kSha256HexLength || !AllOf(hex, IsHexDigit)) return std::nullopt;
  const std::string_view time = key.substr(first_dash + 1);
  const auto seconds = Whole(time.substr(0, time.find('.')));
  if (!seconds) return std::nullopt;
  return InodeKey{*seconds, std::string(hex)};
}

}  // namespace kestrova::server
