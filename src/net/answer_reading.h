// Reading an answer: the server's error element, attribute and element
// texts, numbers by the rules of atoi, and the clock texts of the programme.
#pragma once

#include <string>
#include <string_view>

#include "model/request_result.h"
#include "net/xml_answer.h"

namespace kestrova::net {

// When the document has a top-level "error" element: the result fails with
// the element's text as message (empty when it has none) and its "id"
// attribute as error id (0 when missing), and the answer is true.
[[nodiscard]] bool CheckServerError(const XmlDocument& document, model::RequestResult& result);

// The attribute as wide text; "" when it is missing (or not valid UTF-8).
std::wstring AttributeText(const XmlElement& element, const char* name);
// The attribute as a number by the rules of atoi; 0 when it is missing.
int AttributeNumber(const XmlElement& element, const char* name);
// The element's text when its first child is text; else "".
std::wstring ElementText(const XmlElement& element);

// A decimal number by the rules of atoi: leading blanks, an optional sign,
// then digits up to the first other character; 0 when there are none. A
// value beyond the int range gives the nearest end of the range.
int ReadLeadingNumber(std::string_view text);
int ReadLeadingNumber(std::wstring_view text);

// The start of a programme block, "HH:MM": hours from the first two
// characters clamped to 0-23, minutes from the last two clamped to 0-59.
struct BlockClock {
  int hours = 0;
  int minutes = 0;
};
BlockClock ReadBlockTime(std::wstring_view text);

// The start of a programme element within its block, "MM:SS": minutes from
// the first two characters and seconds from the last two, each clamped to
// 0-59.
struct ElementClock {
  int minutes = 0;
  int seconds = 0;
};
ElementClock ReadElementTime(std::wstring_view text);

}  // namespace kestrova::net
