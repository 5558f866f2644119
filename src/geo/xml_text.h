#pragma once
// Text inside the XML documents the program writes (SVG maps, KML).

#include <string>
#include <string_view>

namespace kestrel {

// `text` as XML character data or an attribute value: markup characters as entities, bytes
// that are not part of valid UTF-8 as the characters of their Latin-1 reading, and control
// characters that XML cannot carry left out, so that any name gives well-formed XML.
std::string XmlText(std::string_view text);

}  // namespace kestrel
