#include "dib_builders.h"

#include <algorithm>

namespace kestrel::testing {
namespace {
void Put16(Bytes& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(Bytes& b, size_t at, uint32_t v) {
  for (size_t i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
}  // namespace

Bytes MakeDib(int32_t width, int32_t height, uint16_t bitCount, const std::vector<Colour>& table,
              const std::function<uint32_t(int x, int y)>& pixel, uint32_t clrUsed) {
  const size_t stride = (static_cast<size_t>(bitCount) * static_cast<size_t>(width) + 31) / 32 * 4;
  const size_t tableBytes = table.size() * 4;
  Bytes dib(40 + tableBytes + stride * static_cast<size_t>(height), 0);
  Put32(dib, 0, 40);
  Put32(dib, 4, static_cast<uint32_t>(width));
  Put32(dib, 8, static_cast<uint32_t>(height));
  Put16(dib, 12, 1);
  Put16(dib, 14, bitCount);
  Put32(dib, 20, static_cast<uint32_t>(stride * static_cast<size_t>(height)));
  Put32(dib, 32, clrUsed);
  for (size_t i = 0; i < table.size(); ++i) {
    dib[40 + 4 * i] = table[i].blue;
    dib[41 + 4 * i] = table[i].green;
    dib[42 + 4 * i] = table[i].red;
  }
  uint8_t* pixels = dib.data() + 40 + tableBytes;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = pixels + stride * static_cast<size_t>(height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const uint32_t v = pixel(x, y);
      const auto ux = static_cast<size_t>(x);
      switch (bitCount) {
        case 1: row[ux / 8] = static_cast<uint8_t>(row[ux / 8] | (v & 1) << (7 - ux % 8)); break;
        case 4: row[ux / 2] = static_cast<uint8_t>(row[ux / 2] | (ux % 2 ? v & 15 : (v & 15) << 4)); break;
        case 8: row[ux] = static_cast<uint8_t>(v); break;
        default:
          row[3 * ux] = static_cast<uint8_t>(v);
          row[3 * ux + 1] = static_cast<uint8_t>(v >> 8);
          row[3 * ux + 2] = static_cast<uint8_t>(v >> 16);
      }
    }
  }
  return dib;
}

Bytes WithFileHeader(const Bytes& dib, uint32_t offBits) {
  Bytes file(14 + dib.size(), 0);
  file[0] = 'B';
  file[1] = 'M';
  Put32(file, 2, static_cast<uint32_t>(file.size()));
  Put32(file, 10, offBits);
  std::copy(dib.begin(), dib.end(), file.begin() + 14);
  return file;
}

}  // namespace kestrel::testing
