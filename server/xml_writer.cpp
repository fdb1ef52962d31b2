#include "xml_writer.h"

#include <cstdint>

namespace kestrova::server {
namespace {

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Length of the valid UTF-8 sequence starting at text[i], or 0.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
  const std::uint8_t lead = byte(i);
  std::size_t length = 0;
  std::uint32_t code = 0;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07u;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0u) != 0x80u) return 0;
    code = (code << 6) | (byte(i + k) & 0x3Fu);
  }
  const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
  const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  // U+FFFE and U+FFFF are not XML characters either.
  if (overlong || surrogate || code > 0x10FFFF || code == 0xFFFE || code == 0xFFFF) return 0;
  return length;
}

}  // namespace

std::string EscapeXml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    switch (c) {
      case '&': out += "&amp;"; ++i; continue;
      case '<': out += "&lt;"; ++i; continue;
      case '>': out += "&gt;"; ++i; continue;
      case '"': out += "&quot;"; ++i; continue;
      case '\'': out += "&apos;"; ++i; continue;
      // Line breaks and tabs would be normalised to blanks inside attribute
      // values; character references keep them.
      case '\n': out += "&#10;"; ++i; continue;
      case '\r': out += "&#13;"; ++i; continue;
      case '\t': out += "&#9;"; ++i; continue;
      default: break;
    }
    if (static_cast<std::uint8_t>(c) < 0x20) {
      ++i;  // other control characters cannot appear in XML 1.0 at all
      continue;
    }
    const std::size_t length = Utf8SequenceLength(text, i);
    if (length == 0) {
      out += kReplacement;
      ++i;
      continue;
    }
    out.append(text.substr(i, length));
    i += length;
  }
  return out;
}

XmlElement& XmlElement::Attr(std::string_view name, std::string_view value) {
  attributes_.emplace_back(std::string(name), EscapeXml(value));
  return *this;
}

XmlElement& XmlElement::Attr(std::string_view name, long long value) {
  attributes_.emplace_back(std::string(name), std::to_string(value));
  return *this;
}

XmlElement& XmlElement::Text(std::string_view text) {
  text_ = EscapeXml(text);
  return *this;
}

XmlElement& XmlElement::Add(std::string name) {
  children_.push_back(std::make_unique<XmlElement>(std::move(name)));
  return *children_.back();
}

std::string XmlElement::Document() const {
  std::string out(kDeclaration);
  Write(out);
  out += '\n';
  return out;
}

void XmlElement::Write(std::string& out) const {
  out += '<';
  out += name_;
  for (const auto& [name, value] : attributes_) {
    out += ' ';
    out += name;
    out += "=\"";
    out += value;
    out += '"';
  }
  if (text_.empty() && children_.empty()) {
    out += "/>";
    return;
  }
  out += '>';
  out += text_;
  for (const auto& child : children_) child->Write(out);
  out += "</";
  out += name_;
  out += '>';
}

}  // namespace kestrova::server
