#include "satfiles/brightness.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace kestrel {
namespace {

constexpr int64_t kSplitThreshold = 24576;
// KITSAT pictures show their seams at much smaller jumps.
constexpr int64_t kKitsatSplitThreshold = 4096;
// Jumps this close to the top or bottom of the picture are its edges, not a seam.
constexpr uint32_t kSplitMargin = 20;
// The part beyond the split is equalised only when it is this close to the whole.
constexpr int64_t kMaxCompensatedDifference = 24;
constexpr int kMidGrey = 127;
constexpr int kSeamPasses = 10;
constexpr std::array<int, 4> kRisingLimits{254, 254, 252, 251};

uint32_t RowSum(const uint8_t* row, uint32_t length) {
  uint32_t sum = 0;
  for (uint32_t x = 0; x < length; ++x) sum += row[x];
  return sum;
}

void ShiftGreyTable(std::span<uint8_t> table, int shift) {
  for (int i = 0; i < 256; ++i) {
    const auto grey = static_cast<uint8_t>(std::clamp(i + shift, 0, 255));
    uint8_t* entry = table.data() + 4 * i;
    entry[0] = entry[1] = entry[2] = grey;
    entry[3] = 0;
  }
}

}  // namespace

BrightnessOutcome AnalyseAndCorrectBrightness(std::span<uint8_t> pixels,
                                              std::span<uint8_t> colourTable, uint32_t rowLength,
                                              uint32_t rows, std::string_view fileName,
                                              bool autoExposure) {
  BrightnessOutcome outcome;
  const uint64_t area = uint64_t{rowLength} * rows;
  if (area == 0 || area > pixels.size()) return outcome;

  const bool kitsat = fileName.find("KA") != std::string_view::npos ||
                      fileName.find("KB") != std::string_view::npos;
  const int64_t threshold = kitsat ? kKitsatSplitThreshold : kSplitThreshold;
  uint64_t beforeSum = 0;
  uint64_t afterSum = 0;
  int64_t previous = 0;
  for (uint32_t m = 0; m < rows; ++m) {
    const int64_t sum = RowSum(pixels.data() + uint64_t{m} * rowLength, rowLength);
    if (!outcome.splitRow && m > kSplitMargin && m + kSplitMargin < rows &&
        std::abs(sum - previous) > threshold)
      outcome.splitRow = m;
    (outcome.splitRow ? afterSum : beforeSum) += static_cast<uint64_t>(sum);
    previous = sum;
  }
  const auto mean = static_cast<int64_t>((beforeSum + afterSum) / area);
  outcome.imageAverage = static_cast<uint32_t>(mean);
  if (outcome.splitRow)
    outcome.afterSplitMean =
        static_cast<uint32_t>(afterSum / (uint64_t{rowLength} * (rows - *outcome.splitRow)));

  if (autoExposure && mean != kMidGrey && colourTable.size() >= kGreyColourTableSize) {
    const auto shift = static_cast<int>(kMidGrey - mean);  // toward mid-grey
    ShiftGreyTable(colourTable, shift);
    outcome.exposureShift = static_cast<uint8_t>(std::abs(shift));
  }

  if (!outcome.splitRow) return outcome;
  const uint32_t split = *outcome.splitRow;
  const int64_t after = outcome.afterSplitMean;
  const int64_t difference = std::abs(after - mean);
  if (difference < kMaxCompensatedDifference) {
    // Below 24 x split / rows, so a byte; the bytes saturate at black and white.
    const auto adjustment =
        static_cast<uint8_t>(((static_cast<uint64_t>(difference) * split) % 65536) / rows);
    const std::span<uint8_t> beyond = pixels.first(area).subspan(uint64_t{split} * rowLength);
    if (after > mean) {
      for (uint8_t& v : beyond) v = static_cast<uint8_t>(v > adjustment ? v - adjustment : 0);
    } else {
      const auto highest = static_cast<uint8_t>(255 - adjustment);
      for (uint8_t& v : beyond) v = static_cast<uint8_t>(v < highest ? v + adjustment : 255);
    }
  }
  SmoothSeam(pixels, split, static_cast<uint16_t>(rowLength));
  SmoothSeam(pixels, split - 5, static_cast<uint16_t>(rowLength));
  return outcome;
}

void SmoothSeam(std::span<uint8_t> pixels, size_t firstRow, uint16_t rowLength) {
  if (firstRow < 1 || (firstRow + 5) * rowLength > pixels.size()) return;
  const uint8_t* below = pixels.data() + (firstRow - 1) * rowLength;
  const uint8_t* above = pixels.data() + (firstRow + 4) * rowLength;
  // The rows below and above never change, so a falling or rising column comes out the same
  // in every pass and a flat one moves halfway toward the mean in each: every row takes its
  // final values in one pass over its columns, without branches.
  for (size_t k = 0; k < 4; ++k) {
    uint8_t* row = pixels.data() + (firstRow + k) * rowLength;
    const int step = static_cast<int>(k) + 1;
    const int risingLimit = kRisingLimits[k];
    for (size_t x = 0; x < rowLength; ++x) {
      const int a = below[x];
      const int b = above[x];
      const int fall = a - step * ((a - b) / 5);
      const int rise = a + step * ((b - a) / 5);
      const int mean = (a + b) / 2;
      int flat = row[x];
      for (int pass = 0; pass < kSeamPasses; ++pass) flat = (flat + mean) / 2;
      const int falling = fall > step ? fall : 0;
      const int rising = rise < risingLimit ? rise : 255;
      row[x] = static_cast<uint8_t>(a - b >= 5 ? falling : b - a >= 5 ? rising : flat);
    }
  }
}

}  // namespace kestrel
