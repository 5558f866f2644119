#include "processing/rotation.h"

namespace kestrel {
namespace {

// The turn with the pixel's size and the bytes moved known to the compiler, so that each pixel
// is a move or three rather than a loop. Clockwise: columns from the right, each from the
// bottom row up; anticlockwise: columns from the left, each from the top row down.
template <uint32_t Size, uint32_t Count>
void TurnColumns(const uint8_t* source, uint8_t* target, uint32_t width, uint32_t height,
                 uint32_t first, Turn turn) {
  const bool clockwise = turn == Turn::Clockwise;
  // One pixel down the result is one row up or down the picture.
  const int64_t rowStride = (clockwise ? 1 : -1) * int64_t{width} * Size;
  uint8_t* out = target + first;
  for (uint32_t step = 0; step < width; ++step) {
    const uint32_t x = clockwise ? width - 1 - step : step;
    const uint8_t* in = source + (uint64_t{clockwise ? 0 : height - 1} * width + x) * Size + first;
    for (uint32_t row = 0; row < height; ++row, out += Size, in += rowStride)
      for (uint32_t b = 0; b < Count; ++b) out[b] = in[b];
  }
}

}  // namespace

void RotatePixels(std::span<const uint8_t> source, std::span<uint8_t> target, uint32_t width,
                  uint32_t height, PixelBytes bytes, Turn turn) {
  const uint64_t area = uint64_t{width} * height * bytes.size;
  if (area > source.size() || area > target.size() || bytes.first + bytes.count > bytes.size)
    return;
  const uint8_t* in = source.data();
  uint8_t* out = target.data();
  if (bytes.size == 1) return TurnColumns<1, 1>(in, out, width, height, 0, turn);
  if (bytes.size != 3) return;
  if (bytes.count == 3) return TurnColumns<3, 3>(in, out, width, height, 0, turn);
  for (uint32_t b = bytes.first; b < bytes.first + bytes.count; ++b)
    TurnColumns<3, 1>(in, out, width, height, b, turn);
}

}  // namespace kestrel
