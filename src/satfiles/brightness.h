#pragma once
// Brightness repair of a freshly loaded grey picture: automatic exposure through the colour
// table, equalisation of the part beyond a brightness jump, and smoothing of the seam.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace kestrel {

// Colour tables of grey pictures: 256 four-byte entries.
inline constexpr size_t kGreyColourTableSize = 1024;

struct BrightnessOutcome {
  uint32_t imageAverage = 0;         // mean of the whole pixel area, 0..255
  std::optional<uint32_t> splitRow;  // first row (bottom-up) beyond the brightness jump
  uint32_t afterSplitMean = 0;       // mean of the rows from the split on; 0 without one
  uint8_t exposureShift = 0;         // how far the colour table moved toward mid-grey
};

// Runs over `rows` rows of `rowLength` bytes (bottom-up, padding included) at the start of
// `pixels`. With `autoExposure`, shifts the 1024-byte `colourTable` toward mid-grey. Files whose
// names contain "KA" or "KB" take the finer split threshold. Needs rowLength x rows > 0.
BrightnessOutcome AnalyseAndCorrectBrightness(std::span<uint8_t> pixels,
                                              std::span<uint8_t> colourTable, uint32_t rowLength,
                                              uint32_t rows, std::string_view fileName,
                                              bool autoExposure);

// Interpolates the four rows from `firstRow` on between the row below them and the row above,
// over ten passes. Does nothing when those six rows are not all inside `pixels`.
void SmoothSeam(std::span<uint8_t> pixels, size_t firstRow, uint16_t rowLength);

}  // namespace kestrel
