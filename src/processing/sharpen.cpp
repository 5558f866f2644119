#include "processing/sharpen.h"

#include <algorithm>
#include <vector>

namespace kestrel {
namespace {

// A byte rises when it is above the floor of its window's mean and falls when it is below it.
// With the window sum H over a bytes, c > floor(H / a) exactly when c x a > H, and
// c < floor(H / a) exactly when (c + 1) x a <= H: no division, and every step is the same for
// every byte, so the compiler can work on many at once.
uint8_t Sharpened(uint16_t centre, uint16_t windowSum, uint16_t area, uint16_t amount) {
  const auto raised = static_cast<uint16_t>(std::min(centre + amount, 255));
  const auto lowered = static_cast<uint16_t>(centre > amount ? centre - amount : 0);
  const auto scaled = static_cast<uint16_t>(centre * area);
  const uint16_t value = scaled > windowSum                            ? raised
                         : static_cast<uint16_t>(scaled + area) <= windowSum ? lowered
                                                                             : centre;
  return static_cast<uint8_t>(value);
}

// One row of results: the window sums of `column` (n columns 3 apart) against the centre bytes.
// The window is a template argument for the commands' sizes, so the sum unrolls and the whole
// row goes through in vector steps.
template <size_t N>
void SharpenRow(const uint16_t* column, const uint8_t* centre, uint8_t* result, size_t count,
                uint16_t amount) {
  constexpr auto area = static_cast<uint16_t>(N * N);
  for (size_t t = 0; t < count; ++t) {
    uint16_t sum = 0;
    for (size_t i = 0; i < N; ++i) sum = static_cast<uint16_t>(sum + column[t + 3 * i]);
    result[t] = Sharpened(centre[t], sum, area, amount);
  }
}

void SharpenRowAnySize(const uint16_t* column, const uint8_t* centre, uint8_t* result,
                       size_t count, size_t n, uint16_t amount) {
  switch (n) {
    case 3: return SharpenRow<3>(column, centre, result, count, amount);
    case 5: return SharpenRow<5>(column, centre, result, count, amount);
    case 7: return SharpenRow<7>(column, centre, result, count, amount);
    default: break;
  }
  const auto area = static_cast<uint16_t>(n * n);
  for (size_t t = 0; t < count; ++t) {
    uint16_t sum = 0;
    for (size_t i = 0; i < n; ++i) sum = static_cast<uint16_t>(sum + column[t + 3 * i]);
    result[t] = Sharpened(centre[t], sum, area, amount);
  }
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
  const size_t n = g.window;
  const size_t step = g.rowStep;
  // Window sums must fit 16 bits (n = 7 reaches 12495), and no window may leave the pixels.
  if (n == 0 || n > 15 || step == 0 || g.rows == 0) return;
  if ((g.rows + n - 1) * step + 3 * n - 3 > pixels.size()) return;
  const size_t half = (n - 1) / 2;
  const uint8_t* in = pixels.data();

  // column[t]: the sum of the n bytes at t, t + S, ..., t + (n - 1) S from the window's top
  // row; a window's sum is that of the n columns t, t + 3, ..., t + 3 (n - 1).
  const size_t span = step + 3 * (n - 1);
  std::vector<uint16_t> column(span, 0);
  for (size_t j = 0; j < n; ++j)
    for (size_t t = 0; t < span; ++t) column[t] = static_cast<uint16_t>(column[t] + in[j * step + t]);
  // Windows must read the picture as it was. The S bytes sharpened for window row r start 3 half
  // bytes into row r + half and run into the next row, so they are held back until the window
  // row after that is done.
  const size_t delay = half + 1;
  std::vector<uint8_t> pending((delay + 1) * step);
  const auto pendingRow = [&](size_t r) { return pending.data() + r % (delay + 1) * step; };
  const auto centreOf = [&](size_t r) { return (r + half) * step + 3 * half; };

  const size_t progressInterval = g.rows / 10;
  size_t rowsCounted = 0;
  for (size_t r = 0; r < g.rows; ++r) {
    if (progressStep && ++rowsCounted == progressInterval) {
      progressStep();
      rowsCounted = 0;
    }
    SharpenRowAnySize(column.data(), in + centreOf(r), pendingRow(r), step, n, amount);
    if (r + 1 < g.rows) {
      // Slide every column down one row.
      const uint8_t* leaving = in + r * step;
      const uint8_t* entering = in + (r + n) * step;
      for (size_t t = 0; t < span; ++t)
        column[t] = static_cast<uint16_t>(column[t] + entering[t] - leaving[t]);
    }
    if (r >= delay) std::copy_n(pendingRow(r - delay), step, pixels.data() + centreOf(r - delay));
  }
  for (size_t r = g.rows > delay ? g.rows - delay : 0; r < g.rows; ++r)
    std::copy_n(pendingRow(r), step, pixels.data() + centreOf(r));
}

}  // namespace kestrel
