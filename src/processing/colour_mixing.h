#pragma once
// Colour mixing of a TMSAT colour set: the false-colour composite (near infrared in byte 2,
// visible red in byte 1, visible green in byte 0) mixed by five percentages into a
// natural-looking picture.

#include <cstdint>
#include <span>

namespace kestrel {

struct MixCoefficients {
  int32_t irToRed = 65;
  int32_t redToRed = 60;
  int32_t redToGreen = 110;
  int32_t redToBlue = 35;
  int32_t greenToBlue = 65;
};

// Mixes the 3-byte pixels of `source` into `target` (both the pixel area of a 24-bit picture,
// the same length). Every whole pixel that begins before the last three bytes is mixed; the
// bytes after it are copied. Each product is divided by 100 on its own, the sum clamped.
void MixColourPixels(std::span<const uint8_t> source, std::span<uint8_t> target,
                     const MixCoefficients& mix);

}  // namespace kestrel
