#pragma once
// Text helpers shared by every layer: printf-style formatting and the upper-casing of names.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kestrel {

// printf-style formatting into a string of whatever length the text needs.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// ASCII upper case: the program addresses files by upper-case 8.3 names.
std::string ToUpperAscii(std::string_view text);

// The whole UTF-8 sequence at `text[at]`: its code point and length in bytes; a length of 0
// when there is none there (a stray continuation byte, an overlong form, a surrogate, beyond
// U+10FFFF, or cut short).
struct Utf8Sequence {
  uint32_t codePoint = 0;
  size_t length = 0;
};
Utf8Sequence ReadUtf8Sequence(std::string_view text, size_t at);

// Bytes read from a text file, as text.
inline std::string_view AsText(std::span<const uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace kestrel
