#include "processing/colour_mixing.h"

#include <algorithm>
#include <cstring>

namespace kestrel {

void MixColourPixels(std::span<const uint8_t> source, std::span<uint8_t> target,
                     const MixCoefficients& mix) {
  const size_t length = std::min(source.size(), target.size());
  if (source.data() != target.data()) std::memcpy(target.data(), source.data(), length);
  if (length <= 3) return;
  // Each product divided by 100 on its own, looked up rather than worked out per pixel; in 64
  // bits, for a typed percentage may be as large as an int holds.
  struct Products {
    int64_t of[256];
    explicit Products(int32_t percent) {
      for (int64_t v = 0; v < 256; ++v) of[v] = v * percent / 100;
    }
  };
  const Products greenToBlue(mix.greenToBlue), redToBlue(mix.redToBlue), redToGreen(mix.redToGreen),
      irToRed(mix.irToRed), redToRed(mix.redToRed);
  const auto clamp = [](int64_t v) { return static_cast<uint8_t>(std::clamp<int64_t>(v, 0, 255)); };
  const uint8_t* in = source.data();
  uint8_t* out = target.data();
  for (size_t p = 0; p < length - 3; p += 3) {
    const uint8_t green = in[p], red = in[p + 1], infrared = in[p + 2];
    out[p] = clamp(greenToBlue.of[green] + redToBlue.of[red]);
    out[p + 1] = clamp(redToGreen.of[red]);
    out[p + 2] = clamp(irToRed.of[infrared] + redToRed.of[red]);
  }
}

}  // namespace kestrel
