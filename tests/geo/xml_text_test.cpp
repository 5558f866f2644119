// Text in the XML the program writes: escaped markup, and bytes that are not UTF-8 or that XML
// cannot carry.

#include <gtest/gtest.h>

#include <string>

#include "geo/xml_text.h"

namespace kestrel {
namespace {

TEST(XmlText, GivesWellFormedTextForAnyBytes) {
  const std::pair<std::string, std::string> cases[] = {
      {"Ho Chi Minh City", "Ho Chi Minh City"},
      {"<a href=\"x\">&'</a>", "&lt;a href=&quot;x&quot;&gt;&amp;&apos;&lt;/a&gt;"},
      {"Reykjav\xC3\xADk \xF0\x9F\x9B\xB0", "Reykjav\xC3\xADk \xF0\x9F\x9B\xB0"},  // í, U+1F6F0
      {"S\xE3o Paulo", "S&#xE3;o Paulo"},  // Latin-1, as WiSP.Obs may hold it
      {"\xE2\x82", "&#xE2;&#x82;"},        // cut short
      {"\xC0\xAF\xED\xA0\x80", "&#xC0;&#xAF;&#xED;&#xA0;&#x80;"},  // overlong, a surrogate
      {"a\x01\x1F\x7F\tb\r\n", "a\x7F\tb\r\n"},                    // controls XML cannot carry
      {"\xEF\xBF\xBE\xEF\xBF\xBD", "\xEF\xBF\xBD"},                // U+FFFE is no character
  };
  for (const auto& [text, escaped] : cases) EXPECT_EQ(XmlText(text), escaped) << text;
}

}  // namespace
}  // namespace kestrel
