#include "dib_builders.h"

namespace kestrel::testing {

Bytes MakeDib(int32_t width, int32_t height, uint16_t bitCount, const std::vector<Colour>& table,
              const std::function<uint32_t(int x, int y)>& pixel, uint32_t clrUsed) {
  const size_t stride = (size_t{bitCount} * static_cast<size_t>(width) + 31) / 32 * 4;
  const size_t pixels = 40 + table.size() * 4, rows = static_cast<size_t>(height);
  Bytes dib(pixels + stride * rows, 0);
  StoreU32(dib.data(), 40);
  StoreI32(dib.data() + 4, width);
  StoreI32(dib.data() + 8, height);
  StoreU16(dib.data() + 12, 1);
  StoreU16(dib.data() + 14, bitCount);
  StoreU32(dib.data() + 20, static_cast<uint32_t>(stride * rows));
  StoreU32(dib.data() + 32, clrUsed);
  for (size_t i = 0; i < table.size(); ++i) {
    dib[40 + 4 * i] = table[i].blue;
    dib[41 + 4 * i] = table[i].green;
    dib[42 + 4 * i] = table[i].red;
  }
  for (int y = 0; y < height; ++y) {
    uint8_t* row = dib.data() + pixels + stride * (rows - 1 - static_cast<size_t>(y));
    for (int x = 0; x < width; ++x) {
      const uint32_t v = pixel(x, y);
      const auto at = static_cast<size_t>(x) * bitCount;  // the pixel's first bit
      if (bitCount == 24) {
        for (size_t i = 0; i < 3; ++i) row[at / 8 + i] = static_cast<uint8_t>(v >> (8 * i));
      } else {
        row[at / 8] = static_cast<uint8_t>(row[at / 8] | (v & ((1u << bitCount) - 1)) << (8 - bitCount - at % 8));
      }
    }
  }
  return dib;
}

Bytes WithFileHeader(const Bytes& dib, uint32_t offBits) {
  Bytes file{'B', 'M'};
  file.resize(14);
  StoreU32(file.data() + 2, static_cast<uint32_t>(14 + dib.size()));
  StoreU32(file.data() + 10, offBits);
  file.insert(file.end(), dib.begin(), dib.end());
  return file;
}

}  // namespace kestrel::testing
