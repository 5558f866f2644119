#include "geo/xml_text.h"

#include <cstdint>

#include "base/text.h"

namespace kestrel {
namespace {

// The characters XML 1.0 documents may hold at all.
bool AllowedInXml(uint32_t codePoint) {
  return codePoint == '\t' || codePoint == '\n' || codePoint == '\r' ||
         (codePoint >= 0x20 && codePoint != 0xFFFE && codePoint != 0xFFFF);
}

}  // namespace

std::string XmlText(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    const Utf8Sequence sequence = ReadUtf8Sequence(text, at);
    if (sequence.length == 0) {
      const auto byte = static_cast<uint8_t>(text[at++]);
      if (AllowedInXml(byte)) escaped += FormatText("&#x%X;", byte);
      continue;
    }
    switch (sequence.codePoint) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      case '\'': escaped += "&apos;"; break;
      default:
        if (AllowedInXml(sequence.codePoint)) escaped += text.substr(at, sequence.length);
    }
    at += sequence.length;
  }
  return escaped;
}

}  // namespace kestrel
