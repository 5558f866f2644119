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

std::string ToUpperAscii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

}  // namespace kestrel
