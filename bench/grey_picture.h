#pragma once
// An 8-bit grey picture for the benchmarks, its pixels given by a function of x and y (top-left
// origin as the function sees it; the DIB's rows are stored as they come).

#include <cstdint>
#include <functional>

#include "bitmap/dib.h"

namespace kestrel::bench {

inline Block GreyPicture(int32_t side, const std::function<uint8_t(int32_t x, int32_t y)>& grey) {
  Block dib = NewPackedDib(side, side, 8);
  FillGreyColourTable(*dib);
  uint8_t* pixels = dib->data() + PixelOffset(*LoadInfoHeader(*dib));
  const uint32_t stride = RowLength(8, static_cast<uint32_t>(side));
  for (int32_t y = 0; y < side; ++y)
    for (int32_t x = 0; x < side; ++x) pixels[size_t(y) * stride + size_t(x)] = grey(x, y);
  return dib;
}

}  // namespace kestrel::bench
