// Colour sets of any plane size and content, from memory: the canvas, the registration moves
// and the interleaving of three planes into one 24-bit picture must stay inside their buffers.
// The first four bytes give the planes' width and height (and whether they are thumbnails);
// the rest is spread over the three planes.

#include <array>
#include <cstdint>
#include <span>

#include "base/block.h"
#include "bitmap/dib.h"
#include "satfiles/spectral_set.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kestrel;
  if (size < 4) return 0;
    // Small planes keep every run quick; the moves of every registered height meet them.
  constexpr std::array<uint16_t, 5> kHeights{1024, 1020, 1008, 256, 0};
  const auto width = static_cast<uint16_t>(data[0] % 64 + 1);
  const auto height = static_cast<uint16_t>(data[1] % 64 + 1);
  const CanvasGeometry canvas = CanvasFor(width, height, data[3] & 2);
  const Registration registration = RegistrationFor(kHeights[data[3] / 4 % kHeights.size()]);
  const std::span<const uint8_t> pixels(data + 4, size - 4);
  const size_t planeSize = size_t{width} * height + (data[2] % 4 == 0 ? 0 : registration.planeOneOffset);
  std::array<Bytes, 3> buffers;
  for (size_t k = 0; k < 3; ++k) {
    buffers[k].assign(data[2] & (8 << k) ? planeSize / 2 : planeSize, 0);  // now and then short
    for (size_t i = 0; i < buffers[k].size() && !pixels.empty(); ++i)
      buffers[k][i] = pixels[(i + 97 * k) % pixels.size()];
  }
  MoveBack(buffers[0], registration.planeOneBack);
  MoveBack(buffers[2], registration.planeThreeBack);
  const auto set = ComposeSpectralSet({buffers[0], buffers[1], buffers[2]}, canvas, planeSize);
  if (set && !IsWellFormedDib(*set->dib)) __builtin_trap();
  return 0;
}
