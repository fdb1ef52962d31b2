#include "net/xml_answer.h"

#include <tinyxml2.h>

#include "net/answer_reading.h"

namespace kestrova::net {

XmlElement XmlElement::FirstChildElement(const char* name) const {
  return XmlElement(element_ != nullptr ? element_->FirstChildElement(name) : nullptr);
}

XmlElement XmlElement::NextSiblingElement(const char* name) const {
  return XmlElement(element_ != nullptr ? element_->NextSiblingElement(name) : nullptr);
}

const char* XmlElement::Attribute(const char* name) const {
  return element_ != nullptr ? element_->Attribute(name) : nullptr;
}

int XmlElement::IntAttribute(const char* name) const {
  const char* value = Attribute(name);
  return value != nullptr ? ReadLeadingNumber(std::string_view(value)) : 0;
}

const char* XmlElement::FirstChildText() const {
  if (element_ == nullptr) return nullptr;
  const tinyxml2::XMLNode* child = element_->FirstChild();
  const tinyxml2::XMLText* text = child != nullptr ? child->ToText() : nullptr;
  return text != nullptr ? text->Value() : nullptr;
}

// Server texts come indented: runs of white space in element text become
// one blank and the ends are trimmed.
XmlDocument::XmlDocument(std::filesystem::path file)
    : file_(std::move(file)),
      document_(std::make_unique<tinyxml2::XMLDocument>(true, tinyxml2::COLLAPSE_WHITESPACE)) {}

XmlDocument::~XmlDocument() = default;

bool XmlDocument::LoadFile() {
  return document_->LoadFile(file_.c_str()) == tinyxml2::XML_SUCCESS;
}

XmlElement XmlDocument::FirstChildElement(const char* name) const {
  return XmlElement(document_->FirstChildElement(name));
}

}  // namespace kestrova::net
