#pragma once
// Colour mixing of a TMSAT colour set: the false-colour composite (near infrared in byte 2,
// visible red in byte 1, visible green in byte 0) mixed by five percentages into a
// natural-looking picture.

#include <cstdint>
#include <span>

#include "session/image_state.h"

namespace kestrel {

// Mixes the 3-byte pixels of `source` into `target` (both the pixel area of a 24-bit picture,
// the same length, or the very same bytes). Every whole pixel that begins before the last three bytes is mixed; the
// bytes after it are copied. Each product is divided by 100 on its own, the sum clamped.
void MixColourPixels(std::span<const uint8_t> source, std::span<uint8_t> target,
                     const MixCoefficients& mix);

}  // namespace kestrel
