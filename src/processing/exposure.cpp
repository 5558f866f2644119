#include "processing/exposure.h"

#include <algorithm>
#include <cstring>

namespace kestrel {
namespace {

constexpr int kLightenCeiling = 240;
constexpr int kDarkenFloor = 8;
constexpr uint64_t kGradedByteCount = 100000;
constexpr int kMidGrey = 127;

int Amount(const Compensation& c, int byteIndex, int value) {
  switch (c.mode) {
    case CompensationMode::EachPlane: return c.perByte[static_cast<size_t>(byteIndex)];
    case CompensationMode::Averaged: return c.common;
    case CompensationMode::None: return 0;
    case CompensationMode::Graded:
      if (value <= 63) return c.common;
      if (value <= 127) return 3 * c.common / 4;
      if (value <= 191) return c.common / 2;
      return c.common / 4;
  }
  return 0;
}

// One table per pixel byte, then one lookup per byte.
template <typename Rule>
void Transform(std::span<uint8_t> pixels, const Compensation& compensation, Rule rule) {
  uint8_t tables[3][256];
  for (int k = 0; k < 3; ++k)
    for (int v = 0; v < 256; ++v)
      tables[k][v] = static_cast<uint8_t>(rule(v, Amount(compensation, k, v)));
  const size_t whole = pixels.size() / 3 * 3;
  uint8_t* p = pixels.data();
  for (size_t i = 0; i < whole; i += 3) {
    p[i] = tables[0][p[i]];
    p[i + 1] = tables[1][p[i + 1]];
    p[i + 2] = tables[2][p[i + 2]];
  }
}

}  // namespace

void ApplyExposureTable(std::span<const uint8_t> exposureRamp, uint16_t level,
                        std::span<uint8_t> colourTable) {
  const size_t start = size_t{level} * 4;
  if (start >= exposureRamp.size()) return;
  std::memcpy(colourTable.data(), exposureRamp.data() + start,
              std::min(colourTable.size(), exposureRamp.size() - start));
}

void LightenColourBytes(std::span<uint8_t> pixels, const Compensation& compensation) {
  Transform(pixels, compensation, [](int v, int amount) {
    return v > kLightenCeiling || v + amount > kLightenCeiling ? kLightenCeiling : v + amount;
  });
}

void DarkenColourBytes(std::span<uint8_t> pixels, const Compensation& compensation) {
  Transform(pixels, compensation, [](int v, int amount) {
    return v < kDarkenFloor || v - amount < kDarkenFloor ? kDarkenFloor : v - amount;
  });
}

DerivedCompensation DeriveCompensation(const PlaneStatistics& statistics) {
  DerivedCompensation derived;
  std::array<int, 3> means{};
  for (size_t k = 0; k < 3; ++k) {
    const uint64_t mean = statistics.planeSize ? statistics.sums[k] / statistics.planeSize : 0;
    means[k] = static_cast<uint8_t>(mean);  // kept as a byte
  }
  const int average = (means[0] + means[1] + means[2]) / 3;
  derived.graded =
      statistics.fullBytes > kGradedByteCount && statistics.zeroBytes > kGradedByteCount;
  const bool lighten = average < kMidGrey;
  derived.exposureLevel = static_cast<uint16_t>(lighten ? 0x100 + (kMidGrey - average)
                                                        : average - kMidGrey);
  // A plane on the other side of mid-grey wraps, as a 16-bit amount whose low byte is used.
  for (size_t k = 0; k < 3; ++k)
    derived.channelAmounts[k] =
        static_cast<uint16_t>(lighten ? kMidGrey - means[k] : means[k] - kMidGrey);
  return derived;
}

}  // namespace kestrel
