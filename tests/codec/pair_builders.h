#pragma once
// Small builders for pair files and test pictures shared by the codec tests.

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <span>

#include "bitmap/block.h"
#include "codec/pair_format.h"

namespace kestrel::testing {

// A pair file: a 256-byte header with the given size, then `body`.
inline Bytes PairFile(uint16_t width, uint16_t height, std::span<const uint8_t> body = {}) {
  Bytes file(kPairHeaderLength, 0);
  StoreU16(file.data() + kPairWidthOffset, width);
  StoreU16(file.data() + kPairHeightOffset, height);
  file.insert(file.end(), body.begin(), body.end());
  return file;
}
inline Bytes PairFile(uint16_t width, uint16_t height, std::initializer_list<uint8_t> body) {
  return PairFile(width, height, std::span<const uint8_t>(body.begin(), body.size()));
}

inline Bytes Concat(std::initializer_list<std::span<const uint8_t>> parts) {
  Bytes all;
  for (auto part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// Peak signal-to-noise ratio of `decoded` against `original` in dB (infinite when equal).
inline double Psnr(std::span<const uint8_t> original, std::span<const uint8_t> decoded) {
  double squared = 0;
  for (size_t i = 0; i < original.size(); ++i) {
    const double d = static_cast<double>(original[i]) - static_cast<double>(decoded[i]);
    squared += d * d;
  }
  if (squared == 0) return INFINITY;
  return 10.0 * std::log10(255.0 * 255.0 * static_cast<double>(original.size()) / squared);
}

}  // namespace kestrel::testing
