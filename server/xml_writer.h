// XML answers of the API scripts: a small element tree that is serialised with
// every attribute value and text escaped, so no content (catalogue texts, echoed
// request values, feedback) can change the shape of an answer.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrova::server {

class XmlElement {
 public:
  explicit XmlElement(std::string name) : name_(std::move(name)) {}

  XmlElement& Attr(std::string_view name, std::string_view value);
  XmlElement& Attr(std::string_view name, const char* value) { return Attr(name, std::string_view(value)); }
  XmlElement& Attr(std::string_view name, const std::string& value) { return Attr(name, std::string_view(value)); }
  XmlElement& Attr(std::string_view name, long long value);
  XmlElement& Attr(std::string_view name, int value) { return Attr(name, static_cast<long long>(value)); }
  XmlElement& Text(std::string_view text);

  // Appends a child element and returns it; the reference stays valid while
  // this element lives.
  XmlElement& Add(std::string name);

  // The whole answer: XML declaration and this element as the root.
  std::string Document() const;

 private:
  void Write(std::string& out) const;

  std::string name_;
  std::vector<std::pair<std::string, std::string>> attributes_;
  std::string text_;
  std::vector<std::unique_ptr<XmlElement>> children_;
};

// Escapes markup characters, drops characters XML 1.0 does not allow and
// replaces invalid UTF-8 with U+FFFD.
std::string EscapeXml(std::string_view text);

}  // namespace kestrova::server
