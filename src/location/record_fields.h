#pragma once
// Little-endian doubles and names in the fixed records of the ground-station files.

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "base/block.h"

namespace kestrel {

inline double LoadF64(const uint8_t* p) {
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | p[i];
  return std::bit_cast<double>(bits);
}

inline void StoreF64(uint8_t* p, double value) {
  const auto bits = std::bit_cast<uint64_t>(value);
  for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(bits >> (8 * i));
}

// The NUL-terminated text at the start of `bytes`, never reading past them.
inline std::string_view LeadingText(std::span<const uint8_t> bytes) {
  const auto* text = reinterpret_cast<const char*>(bytes.data());
  const void* nul = std::memchr(text, 0, bytes.size());
  const size_t length =
      nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : bytes.size();
  return {text, length};
}

// Copies `text` into a field of `width` bytes, cut so that a NUL always follows it.
inline void StoreLeadingText(uint8_t* field, size_t width, std::string_view text) {
  const size_t length = text.size() < width ? text.size() : width - 1;
  std::memcpy(field, text.data(), length);
  std::memset(field + length, 0, width - length);
}

}  // namespace kestrel
