#include "net/answer_reading.h"

#include <algorithm>
#include <climits>

#include "resources/answer_text.h"

namespace kestrova::net {

namespace {

constexpr const char* kErrorElement = "error";
constexpr const char* kErrorIdAttribute = "id";
constexpr int kMaxHour = 23;
constexpr int kMaxMinuteOrSecond = 59;
constexpr std::size_t kClockPartLength = 2;

template <typename Char>
bool IsBlank(Char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

template <typename Char>
int ReadNumber(std::basic_string_view<Char> text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Accumulated as a negative value, whose range reaches INT_MIN.
  long long value = 0;
  constexpr long long kLimit = static_cast<long long>(INT_MAX) + 1;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 - (text[i] - '0');
    if (value < -kLimit) value = -kLimit;
  }
  if (negative) return static_cast<int>(value);
  return value < -static_cast<long long>(INT_MAX) ? INT_MAX : static_cast<int>(-value);
}

// The number in the first two and in the last two characters of a clock
// text, each clamped to its range.
std::pair<int, int> ReadClockParts(std::wstring_view text, int firstMax, int secondMax) {
  const std::wstring_view first = text.substr(0, kClockPartLength);
  const std::wstring_view last = text.size() > kClockPartLength ? text.substr(text.size() - kClockPartLength) : text;
  return {std::clamp(ReadNumber(first), 0, firstMax), std::clamp(ReadNumber(last), 0, secondMax)};
}

}  // namespace

bool CheckServerError(const XmlDocument& document, model::RequestResult& result) {
  const XmlElement error = document.FirstChildElement(kErrorElement);
  if (!error) return false;
  result.ok = false;
  result.errorId = AttributeNumber(error, kErrorIdAttribute);
  result.message = ElementText(error);
  return true;
}

std::wstring AttributeText(const XmlElement& element, const char* name) { return resources::AnswerText(element.Attribute(name)); }

int AttributeNumber(const XmlElement& element, const char* name) { return element.IntAttribute(name); }

std::wstring ElementText(const XmlElement& element) { return resources::AnswerText(element.FirstChildText()); }

int ReadLeadingNumber(std::string_view text) { return ReadNumber(text); }
int ReadLeadingNumber(std::wstring_view text) { return ReadNumber(text); }

BlockClock ReadBlockTime(std::wstring_view text) {
  const auto [hours, minutes] = ReadClockParts(text, kMaxHour, kMaxMinuteOrSecond);
  return {hours, minutes};
}

ElementClock ReadElementTime(std::wstring_view text) {
  const auto [minutes, seconds] = ReadClockParts(text, kMaxMinuteOrSecond, kMaxMinuteOrSecond);
  return {minutes, seconds};
}

}  // namespace kestrova::net
