#pragma once
// Writing JSON: strings from bytes that may not be UTF-8, and objects built member by member.

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel {

// Text as a JSON string. Bytes that are not part of valid UTF-8 become the character of their
// Latin-1 reading (\u00XX), so that any name gives valid JSON and UTF-8 reads back unchanged.
std::string JsonString(std::string_view text);

// One JSON object, its members in the order added.
class JsonObject {
 public:
  JsonObject() = default;
  // Goes on from an object already written, adding members after its own.
  static JsonObject Extending(std::string_view objectJson);

  JsonObject& Text(std::string_view key, std::string_view value);
  // A finite number with `decimals` places; null when it is not finite.
  JsonObject& Number(std::string_view key, double value, int decimals);
  JsonObject& Integer(std::string_view key, int64_t value);
  JsonObject& Bool(std::string_view key, bool value);
  JsonObject& Null(std::string_view key);
  // A value already written as JSON: an object or an array.
  JsonObject& Raw(std::string_view key, std::string_view json);

  std::string Json() const { return body_ + "}"; }

 private:
  JsonObject& Member(std::string_view key, std::string_view json);
  std::string body_ = "{";
};

}  // namespace kestrel
