#include "geo/xml_text.h"

#include <cstdint>

#include "base/text.h"

namespace kestrel {
namespace {

// The code point of the whole UTF-8 sequence at `text[at]` and its length in bytes; a length
// of 0 when there is none there (a stray continuation byte, an overlong form, a surrogate,
// beyond U+10FFFF, or cut short).
struct Utf8Sequence {
  uint32_t codePoint = 0;
  size_t length = 0;
};

Utf8Sequence ReadUtf8(std::string_view text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(at);
  if (lead < 0x80) return {lead, 1};
  const size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                        : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                       : 0;
  if (length == 0 || at + length > text.size()) return {};
  uint32_t codePoint = lead & (0x7Fu >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return {};
    codePoint = codePoint << 6 | (byte(at + i) & 0x3Fu);
  }
  constexpr uint32_t kLeastOfLength[] = {0, 0, 0x80, 0x800, 0x10000};
  if (codePoint < kLeastOfLength[length] || (codePoint >= 0xD800 && codePoint <= 0xDFFF) ||
      codePoint > 0x10FFFF)
    return {};
  return {codePoint, length};
}

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
    const Utf8Sequence sequence = ReadUtf8(text, at);
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
