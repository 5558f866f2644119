#include "processing/colour_mixing.h"

#include <algorithm>
#include <cstring>

namespace kestrel {

void MixColourPixels(std::span<const uint8_t> source, std::span<uint8_t> target,
                     const MixCoefficients& mix) {
  const size_t length = std::min(source.size(), target.size());
  if (source.data() != target.data()) std::memcpy(target.data(), source.data(), length);
  if (length <= 3) return;
  const auto clamp = [](int32_t v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); };
  const uint8_t* in = source.data();
  uint8_t* out = target.data();
  for (size_t p = 0; p < length - 3; p += 3) {
    const int32_t green = in[p], red = in[p + 1], infrared = in[p + 2];
    out[p] = clamp(green * mix.greenToBlue / 100 + red * mix.redToBlue / 100);
    out[p + 1] = clamp(red * mix.redToGreen / 100);
    out[p + 2] = clamp(infrared * mix.irToRed / 100 + red * mix.redToRed / 100);
  }
}

}  // namespace kestrel
