#include "base/json.h"

#include <cmath>
#include <cstdio>

#include "base/text.h"

namespace kestrel {
namespace {

// Bytes of the whole UTF-8 sequence starting at `text[at]`: 1 to 4, or 0 when there is none
// (a stray continuation byte, an overlong form, a surrogate, beyond U+10FFFF, or cut short).
size_t Utf8SequenceLength(std::string_view text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) return 1;
  const size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                        : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                       : 0;
  if (length == 0 || at + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i)
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
  const unsigned char second = byte(at + 1);
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
      (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F))
    return 0;
  return length;
}

}  // namespace

std::string JsonString(std::string_view text) {
  std::string quoted = "\"";
  for (size_t at = 0; at < text.size();) {
    const auto byte = static_cast<unsigned char>(text[at]);
    const size_t length = Utf8SequenceLength(text, at);
    if (byte == '"' || byte == '\\') {
      quoted += '\\';
      quoted += text[at];
    } else if (byte < 0x20 || byte == 0x7F || length == 0) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      quoted += escaped;
    } else {
      quoted += text.substr(at, length);
      at += length;
      continue;
    }
    ++at;
  }
  return quoted + "\"";
}

JsonObject JsonObject::Extending(std::string_view objectJson) {
  JsonObject object;
  if (objectJson.size() >= 2 && objectJson.front() == '{' && objectJson.back() == '}')
    object.body_ = std::string(objectJson.substr(0, objectJson.size() - 1));
  return object;
}

JsonObject& JsonObject::Member(std::string_view key, std::string_view json) {
  if (body_.size() > 1) body_ += ',';
  body_ += JsonString(key);
  body_ += ':';
  body_ += json;
  return *this;
}

JsonObject& JsonObject::Text(std::string_view key, std::string_view value) {
  return Member(key, JsonString(value));
}

JsonObject& JsonObject::Number(std::string_view key, double value, int decimals) {
  if (!std::isfinite(value)) return Null(key);
  // "-0.000" is valid JSON but reads badly.
  std::string text = FormatText("%.*f", decimals, value);
  if (text.find_first_not_of("-0.") == std::string::npos) text = FormatText("%.*f", decimals, 0.0);
  return Member(key, text);
}

JsonObject& JsonObject::Integer(std::string_view key, int64_t value) {
  return Member(key, std::to_string(value));
}

JsonObject& JsonObject::Bool(std::string_view key, bool value) {
  return Member(key, value ? "true" : "false");
}

JsonObject& JsonObject::Null(std::string_view key) { return Member(key, "null"); }

JsonObject& JsonObject::Raw(std::string_view key, std::string_view json) {
  return Member(key, json);
}

}  // namespace kestrel
