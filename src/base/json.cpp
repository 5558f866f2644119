#include "base/json.h"

#include <cmath>
#include <cstdio>

#include "base/text.h"

namespace kestrel {

std::string JsonString(std::string_view text) {
  std::string quoted = "\"";
  for (size_t at = 0; at < text.size();) {
    const auto byte = static_cast<unsigned char>(text[at]);
    const size_t length = ReadUtf8Sequence(text, at).length;
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
