#pragma once
// Exposure of grey pictures (a window into the exposure ramp, copied into the colour table:
// the pixels never change) and compensation of colour sets (their bytes raised or lowered).

#include <array>
#include <cstdint>
#include <span>

#include "session/image_state.h"

namespace kestrel {

// Copies the ramp's entries from `level` on into `colourTable`, as far as both reach.
void ApplyExposureTable(std::span<const uint8_t> exposureRamp, uint16_t level,
                        std::span<uint8_t> colourTable);

// The amounts of a colour compensation: `common` for every byte, `perByte[k]` for byte k of
// each pixel (each plane), and `mode` choosing between them.
struct Compensation {
  CompensationMode mode = CompensationMode::Averaged;
  uint8_t common = 0;
  std::array<uint8_t, 3> perByte{};
};

// Raises every byte of the whole 3-byte pixels of `pixels` by the mode's amount, capped at
// 240 (bytes above 240 come down to it whatever the mode).
void LightenColourBytes(std::span<uint8_t> pixels, const Compensation& compensation);
// Lowers them, floored at 8 (bytes below 8 come up to it whatever the mode).
void DarkenColourBytes(std::span<uint8_t> pixels, const Compensation& compensation);

struct PlaneStatistics {
  std::array<uint64_t, 3> sums{};  // by pixel byte: 0 green band, 1 red band, 2 infrared
  uint64_t zeroBytes = 0;          // bytes equal to 0, all planes together
  uint64_t fullBytes = 0;          // bytes equal to 255, all planes together
  uint64_t planeSize = 0;          // the divisor of the sums: one plane buffer's byte count
};

struct DerivedCompensation {
  uint16_t exposureLevel = 0;  // low byte: amount; high byte: 1 lighten, 0 darken
  std::array<uint16_t, 3> channelAmounts{};  // by pixel byte; only the low byte is used
  bool graded = false;  // badly exposed: many black and many white bytes
};

// Moves the set's overall mean toward mid-grey: each plane by its own distance from 127, on
// the side the overall average lies.
DerivedCompensation DeriveCompensation(const PlaneStatistics& statistics);

}  // namespace kestrel
