#pragma once
// Builders for packed DIBs and bitmap files, written from the file format directly rather
// than through the code under test.

#include <cstdint>
#include <functional>
#include <vector>

#include "base/block.h"

namespace kestrel::testing {

struct Colour {
  uint8_t blue, green, red;
};

// A packed DIB with a 40-byte header. `pixel(x, y)` gives the colour index (or for 24 bits the
// 0xRRGGBB value) of the pixel at column x of row y counted from the top.
Bytes MakeDib(int32_t width, int32_t height, uint16_t bitCount, const std::vector<Colour>& table,
              const std::function<uint32_t(int x, int y)>& pixel, uint32_t clrUsed = 0);

// A 14-byte file header in front of a packed DIB.
Bytes WithFileHeader(const Bytes& dib, uint32_t offBits);

}  // namespace kestrel::testing
