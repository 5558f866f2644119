#pragma once
// Quarter turns of a picture's pixel area. Pixels are read column by column and written one
// after another, so the width and height of the result are swapped.

#include <cstdint>
#include <span>

namespace kestrel {

enum class Turn { Clockwise, Anticlockwise };

// Which bytes of each pixel a turn moves: all of a grey pixel (size 1), or some planes of a
// colour one (size 3).
struct PixelBytes {
  uint32_t size = 1;   // bytes per pixel
  uint32_t first = 0;  // first byte moved
  uint32_t count = 1;  // bytes moved
};

// Turns the `width` x `height` pixels of `source` into `target`; bytes of a pixel not moved
// keep the value `target` has. Does nothing when either area is smaller than the picture or the
// pixel size is neither 1 nor 3.
void RotatePixels(std::span<const uint8_t> source, std::span<uint8_t> target, uint32_t width,
                  uint32_t height, PixelBytes bytes, Turn turn);

}  // namespace kestrel
