// The answer files are XML documents, read through this small layer over
// tinyxml2 with exactly what the endpoints need: load a document from a
// file, the first child element and the next sibling element by name, an
// attribute by name as text and as a number, and an element's text.
#pragma once

#include <filesystem>
#include <memory>

namespace tinyxml2 {
class XMLDocument;
class XMLElement;
}  // namespace tinyxml2

namespace kestrova::net {

// An element of a loaded document, or none (false). Valid while its
// document lives.
class XmlElement {
 public:
  XmlElement() = default;
  explicit XmlElement(const tinyxml2::XMLElement* element) : element_(element) {}

  explicit operator bool() const { return element_ != nullptr; }

  // None when there is no such element (or this is none).
  XmlElement FirstChildElement(const char* name) const;
  XmlElement NextSiblingElement(const char* name) const;

  // The attribute's UTF-8 value; null when it is missing.
  const char* Attribute(const char* name) const;
  // The attribute read as a decimal number by the rules of atoi: blanks,
  // a sign and digits, stopping at anything else; 0 when it is missing.
  int IntAttribute(const char* name) const;
  // The text of the first child when that child is a text node, else null.
  const char* FirstChildText() const;

 private:
  const tinyxml2::XMLElement* element_ = nullptr;
};

class XmlDocument {
 public:
  explicit XmlDocument(std::filesystem::path file);
  ~XmlDocument();
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // Reads and parses the file; false when it cannot be read or is not XML.
  [[nodiscard]] bool LoadFile();
  // A top-level element by name.
  XmlElement FirstChildElement(const char* name) const;

 private:
  std::filesystem::path file_;
  std::unique_ptr<tinyxml2::XMLDocument> document_;
};

}  // namespace kestrova::net
