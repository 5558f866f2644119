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

// Bytes read from a text file, as text.
inline std::string_view AsText(std::span<const uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace kestrel
