#pragma once
// Pair files and test pictures shared by the codec tests.

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <span>

#include "base/block.h"
#include "bitmap/dib.h"
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

// The rows of an 8-bit packed DIB, top-down, `width` bytes each.
inline Bytes TopDownRows(std::span<const uint8_t> dib, size_t width, size_t height) {
  const BitmapInfoHeader header = *LoadInfoHeader(dib);
  const size_t stride = RowLength(8, static_cast<uint32_t>(header.biWidth));
  Bytes rows;
  for (size_t y = height; y-- > 0;) {
    const auto row = dib.subspan(PixelOffset(header) + y * stride, width);
    rows.insert(rows.end(), row.begin(), row.end());
  }
  return rows;
}

// Flat blocks and whole blocks of eight pixels each side of the mean by 2 to 10: pictures the
// two-level code represents exactly.
inline Bytes ExactlyCodablePicture(size_t width, size_t height, unsigned seed = 7) {
  std::mt19937 random(seed);
  Bytes picture(width * height);
  for (size_t block = 0; block < width / 4 * (height / 4); ++block) {
    std::array<int, 16> values{};
    const int spread = random() % 2 ? 2 + static_cast<int>(random() % 9) : 0;
    const int mean = spread + static_cast<int>(random() % static_cast<unsigned>(256 - 2 * spread));
    for (size_t i = 0; i < 16; ++i) values[i] = mean + (i < 8 ? spread : -spread);
    std::shuffle(values.begin(), values.end(), random);
    const size_t left = block % (width / 4) * 4, top = block / (width / 4) * 4;
    for (size_t i = 0; i < 16; ++i)
      picture[(top + i / 4) * width + left + i % 4] = static_cast<uint8_t>(values[i]);
  }
  return picture;
}

}  // namespace kestrel::testing
