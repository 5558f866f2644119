#include "base/text.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>

namespace kestrel {

std::string FormatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list count;
  va_copy(count, args);
  const int length = std::vsnprintf(nullptr, 0, format, count);
  va_end(count);
  std::string text(static_cast<size_t>(length < 0 ? 0 : length) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, args);
  va_end(args);
  text.pop_back();
  return text;
}

Utf8Sequence ReadUtf8Sequence(std::string_view text, size_t at) {
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

std::string ToUpperAscii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

}  // namespace kestrel
