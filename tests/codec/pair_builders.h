#pragma once
// Small builders for pair files and test pictures shared by the codec tests.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
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

// The rows of an 8-bit packed DIB, top-down, `width` bytes each.
inline Bytes TopDownRows(std::span<const uint8_t> dib, size_t width, size_t height) {
  const BitmapInfoHeader header = *LoadInfoHeader(dib);
  const size_t stride = RowLength(8, static_cast<uint32_t>(header.biWidth));
  Bytes rows;
  for (size_t y = 0; y < height; ++y) {
    const auto row = dib.subspan(PixelOffset(header) + (height - 1 - y) * stride, width);
    rows.insert(rows.end(), row.begin(), row.end());
  }
  return rows;
}

// A picture of blocks that the two-level code represents exactly: flat blocks, whole blocks
// of eight pixels each side of the mean by 2 to 10, and quadrant blocks of two pixels each
// side of quadrant means whose sum is a multiple of four.
inline Bytes ExactlyCodablePicture(size_t width, size_t height, unsigned seed = 7) {
  std::mt19937 random(seed);
  Bytes picture(width * height);
  auto put = [&](size_t bx, size_t by, size_t r, size_t c, int v) {
    picture[(4 * by + r) * width + 4 * bx + c] = static_cast<uint8_t>(v);
  };
  for (size_t by = 0; by < height / 4; ++by)
    for (size_t bx = 0; bx < width / 4; ++bx) {
      const auto kind = random() % 3;
      if (kind == 0) {
        const int v = static_cast<int>(random() % 256);
        for (size_t i = 0; i < 16; ++i) put(bx, by, i / 4, i % 4, v);
      } else if (kind == 1) {
        const int s = 2 + static_cast<int>(random() % 9);
        const int m = s + static_cast<int>(random() % static_cast<unsigned>(256 - 2 * s));
        std::array<int, 16> order{};
        for (size_t i = 0; i < 16; ++i) order[i] = i < 8 ? 1 : -1;
        std::shuffle(order.begin(), order.end(), random);
        for (size_t i = 0; i < 16; ++i) put(bx, by, i / 4, i % 4, m + order[i] * s);
      } else {
        std::array<int, 4> means{};
        do {
          for (auto& m : means) m = 30 + static_cast<int>(random() % 196);
        } while ((means[0] + means[1] + means[2] + means[3]) % 4 != 0 ||
                 std::abs(means[0] - means[3]) < 60);
        for (size_t q = 0; q < 4; ++q) {
          const int s = static_cast<int>(random() % 30);
          std::array<int, 4> order{1, 1, -1, -1};
          std::shuffle(order.begin(), order.end(), random);
          for (size_t i = 0; i < 4; ++i)
            put(bx, by, (q / 2) * 2 + i / 2, (q % 2) * 2 + i % 2, means[q] + order[i] * s);
        }
      }
    }
  return picture;
}

}  // namespace kestrel::testing
