#include "processing/sharpen.h"

#include <vector>

namespace kestrel {
namespace {

enum : uint8_t { kUnchanged = 0, kRaise = 16, kLower = 32 };

uint8_t FlagFor(uint32_t centre, uint32_t mean) {
  if (centre > mean) return centre == 255 ? kUnchanged : kRaise;
  if (centre < mean) return centre == 0 ? kUnchanged : kLower;
  return kUnchanged;
}

}  // namespace

SharpenGeometry SharpenGeometryFor(uint16_t width, uint16_t height, bool colourSet,
                                   uint32_t window) {
  if (window == 0 || width < window || height < window) return {};
  const uint32_t groups = (width - window) / 3;
  return {(colourSet ? 9u : 3u) * groups, height - window, window};
}

void SharpenPixels(std::span<uint8_t> pixels, const SharpenGeometry& g, uint8_t amount,
                   const std::function<void()>& progressStep) {
  const uint64_t n = g.window;
  const uint64_t step = g.rowStep;
  if (n == 0 || step == 0 || g.rows == 0) return;
  // The highest byte any window reads.
  if ((g.rows + n - 1) * step + 3 * n - 3 > pixels.size()) return;
  const uint64_t half = (n - 1) / 2;
  const auto area = static_cast<uint32_t>(n * n);
  const uint8_t* in = pixels.data();
  std::vector<uint8_t> mask(pixels.size(), kUnchanged);

  // column[t]: the sum of the n bytes at t, t + S, ..., t + (n - 1) S from the window's top row.
  const size_t span = step + 3 * (n - 1);
  std::vector<uint32_t> column(span, 0);
  for (size_t t = 0; t < span; ++t)
    for (uint64_t j = 0; j < n; ++j) column[t] += in[j * step + t];

  const uint32_t progressInterval = g.rows / 10;
  uint32_t rowsCounted = 0;
  for (uint64_t r = 0; r < g.rows; ++r) {
    if (progressStep && ++rowsCounted == progressInterval) {
      progressStep();
      rowsCounted = 0;
    }
    const uint64_t rowStart = r * step;
    const uint64_t centreRow = (r + half) * step + 3 * half;
    for (size_t c = 0; c < 3; ++c) {
      uint32_t sum = 0;
      for (uint64_t i = 0; i < n; ++i) sum += column[c + 3 * i];
      for (uint64_t x = 0; x < step; x += 3) {
        const uint64_t at = centreRow + x + c;
        mask[at] = FlagFor(in[at], sum / area);
        if (x + 3 < step) sum += column[x + c + 3 * n] - column[x + c];
      }
    }
    if (r + 1 == g.rows) break;
    // Slide every column down one row.
    const uint8_t* leaving = in + rowStart;
    const uint8_t* entering = in + rowStart + n * step;
    for (size_t t = 0; t < span; ++t) {
      column[t] += entering[t];
      column[t] -= leaving[t];
    }
  }

  for (size_t i = 0; i < pixels.size(); ++i) {
    const int v = pixels[i];
    if (mask[i] == kRaise) pixels[i] = static_cast<uint8_t>(v + amount >= 255 ? 255 : v + amount);
    else if (mask[i] == kLower) pixels[i] = static_cast<uint8_t>(amount < v ? v - amount : 0);
  }
}

}  // namespace kestrel
