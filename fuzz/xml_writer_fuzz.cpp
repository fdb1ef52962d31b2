// The escaping of the XML answers: arbitrary bytes as an attribute value and
// as text must still give a well-formed document of the same shape.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <tinyxml2.h>

#include "xml_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using kestrova::server::EscapeXml;
  using kestrova::server::XmlElement;
  const std::string_view input(reinterpret_cast<const char*>(bytes), size);
  const std::string escaped = EscapeXml(input);
  if (escaped.find('<') != std::string::npos) std::abort();

  XmlElement root("answer");
  root.Attr("value", input);
  root.Add("item").Text(input);
  const std::string document = root.Document();

  tinyxml2::XMLDocument parsed;
  if (parsed.Parse(document.c_str(), document.size()) != tinyxml2::XML_SUCCESS) std::abort();
  const tinyxml2::XMLElement* answer = parsed.FirstChildElement("answer");
  if (answer == nullptr || answer->FirstChildElement("item") == nullptr) std::abort();
  if (answer->NextSiblingElement() != nullptr) std::abort();
  return 0;
}
