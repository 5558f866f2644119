#pragma once
// Sharpening by local contrast: a byte brighter than the mean of its n x n window of 3-byte
// groups is raised by a fixed amount, a darker one lowered, one equal to it left alone.

#include <cstdint>
#include <functional>
#include <span>

namespace kestrel {

struct SharpenGeometry {
  uint32_t rowStep = 0;  // S: bytes between window rows, and between processed rows
  uint32_t rows = 0;     // R: rows processed
  uint32_t window = 0;   // n
};

// S = 3 x floor((W - n) / 3) for a grey picture, 9 x floor((W - n) / 3) for a colour set;
// R = H - n. A picture narrower or lower than the window gets no rows.
SharpenGeometry SharpenGeometryFor(uint16_t width, uint16_t height, bool colourSet,
                                   uint32_t window);

// Sharpens `pixels` in place. Flags are taken from the bytes as they were before any change;
// the window sums slide along rows and columns, so the cost does not grow with n x n. Does
// nothing when the windows would reach beyond `pixels`. `progressStep` is called after every
// tenth of the rows (never for fewer than ten rows).
void SharpenPixels(std::span<uint8_t> pixels, const SharpenGeometry& geometry, uint8_t amount,
                   const std::function<void()>& progressStep = {});

}  // namespace kestrel
