#include "processing/rotation.h"

namespace kestrel {

void RotatePixels(std::span<const uint8_t> source, std::span<uint8_t> target, uint32_t width,
                  uint32_t height, PixelBytes bytes, Turn turn) {
  const uint64_t area = uint64_t{width} * height * bytes.size;
  if (area > source.size() || area > target.size() || bytes.first + bytes.count > bytes.size)
    return;
  uint8_t* out = target.data();
  // Clockwise: columns from the right, each from the bottom row up; anticlockwise: columns
  // from the left, each from the top row down.
  for (uint32_t step = 0; step < width; ++step) {
    const uint32_t x = turn == Turn::Clockwise ? width - 1 - step : step;
    for (uint32_t row = 0; row < height; ++row) {
      const uint32_t r = turn == Turn::Clockwise ? row : height - 1 - row;
      const uint8_t* in = source.data() + (uint64_t{r} * width + x) * bytes.size + bytes.first;
      for (uint32_t b = 0; b < bytes.count; ++b) out[bytes.first + b] = in[b];
      out += bytes.size;
    }
  }
}

}  // namespace kestrel
