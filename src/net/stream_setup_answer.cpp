#include "net/stream_setup_answer.h"

#include <algorithm>
#include <cmath>
#include <cwctype>

#include "net/answer_reading.h"
#include "net/request_format.h"
#include "platform/clock.h"

namespace kestrova::net {

namespace {

constexpr const wchar_t* kTokenFormat = L"%d%d%d";
constexpr int kUnknownPart = -1;

std::wstring_view Trim(std::wstring_view text) {
  while (!text.empty() && std::iswspace(text.front()) != 0) text.remove_prefix(1);
  while (!text.empty() && std::iswspace(text.back()) != 0) text.remove_suffix(1);
  return text;
}

// Reads a number by the rules of atoi into 64 bits: leading blanks, a
// sign, digits up to the first other character, saturating at the ends.
std::int64_t LeadingNumber(std::wstring_view text) {
  std::size_t at = 0;
  while (at < text.size() && std::iswspace(text[at]) != 0) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == L'+' || text[at] == L'-')) negative = text[at++] == L'-';
  constexpr std::int64_t kLimit = INT64_MAX / 10;
  std::int64_t value = 0;
  for (; at < text.size() && text[at] >= L'0' && text[at] <= L'9'; ++at) {
    if (value > kLimit) return negative ? INT64_MIN : INT64_MAX;
    value = value * 10 + (text[at] - L'0');
  }
  return negative ? -value : value;
}

}  // namespace

HeaderLines::HeaderLines(std::wstring_view rawHeaders) {
  while (!rawHeaders.empty()) {
    const std::size_t end = rawHeaders.find(L'\n');
    const std::wstring_view line = rawHeaders.substr(0, end);
    rawHeaders = end == std::wstring_view::npos ? std::wstring_view() : rawHeaders.substr(end + 1);
    const std::size_t colon = line.find(L':');
    if (colon == std::wstring_view::npos) continue;
    // The first line with a key is the one a search from the start finds.
    values_.emplace(std::wstring(line.substr(0, colon)), std::wstring(Trim(line.substr(colon + 1))));
  }
}

std::wstring HeaderLines::Value(std::wstring_view key) const {
  const auto it = values_.find(key);
  return it != values_.end() ? it->second : std::wstring();
}

SetupAnswer::SetupAnswer(std::wstring_view rawHeaders)
    : lines_(rawHeaders),
      qualityCount_(std::clamp(ReadLeadingNumber(lines_.Value(kQualityCountKey)), 0, kMaxAnnouncedQualities)),
      videoId_(lines_.Value(kVideoIdKey)),
      videoName_(lines_.Value(kVideoNameKey)),
      length_(lines_.Value(kSegmentLengthKey)) {
  for (int i = 1; i <= qualityCount_; ++i) sizes_[i] = lines_.Value(FormatRequest(kQualitySizeKeyFormat, {i}));
}

const std::wstring& SetupAnswer::SizeText(int quality) const {
  static const std::wstring kNone;
  const auto it = sizes_.find(quality);
  return it != sizes_.end() ? it->second : kNone;
}

std::int64_t SetupAnswer::Size(int quality) const { return LeadingNumber(SizeText(quality)); }

std::optional<int> SetupAnswer::VideoId() const {
  if (videoId_.empty()) return std::nullopt;
  return ReadLeadingNumber(videoId_);
}

int SetupAnswer::SegmentSeconds() const { return ReadLeadingNumber(length_); }

int ChooseQuality(int qualityId, double measuredRate, const SetupAnswer& answer) {
  const int count = answer.QualityCount();
  if (qualityId > kAutomaticQualityId) return std::min(qualityId, count);
  if (measuredRate == 0.0) return kFallbackQuality;
  // In doubles, so a huge length or rate cannot overflow.
  const double budget = std::trunc(static_cast<double>(answer.SegmentSeconds()) * measuredRate);
  for (int quality = count; quality >= 1; --quality) {
    if (static_cast<double>(answer.Size(quality)) <= budget) return quality;
  }
  return kFallbackQuality;
}

std::optional<double> MeasureRate(std::uintmax_t bytes, std::chrono::steady_clock::duration elapsed) {
  if (bytes == 0 || elapsed <= std::chrono::steady_clock::duration::zero()) return std::nullopt;
  return static_cast<double>(bytes) / std::chrono::duration<double>(elapsed).count();
}

std::wstring StreamToken(std::time_t moment) {
  const auto local = platform::LocalTime(moment);
  if (!local) return FormatRequest(kTokenFormat, {kUnknownPart, kUnknownPart, kUnknownPart});
  return FormatRequest(kTokenFormat, {local->tm_hour, local->tm_min, local->tm_sec});
}

}  // namespace kestrova::net
