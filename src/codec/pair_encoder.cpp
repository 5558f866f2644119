#include "codec/pair_encoder.h"

#include <array>
#include <cmath>

#include "codec/pair_format.h"

namespace kestrel {
namespace {

constexpr uint32_t kStrip = 16;  // compressed pictures are whole 16-pixel strips each way

// Block classification by the standard deviation of its 16 pixels.
constexpr float kQuadrantAbove = 10.0f;
constexpr float kFlatUpTo = 1.0f;

using BlockPixels = std::array<std::array<uint8_t, kBlockSide>, kBlockSide>;  // [row][column]

void GatherBlock(std::span<const uint8_t> pixels, size_t width, size_t x, size_t y,
                 BlockPixels& block) {
  const size_t first = y * width + x;
  if (first + (kBlockSide - 1) * width + kBlockSide <= pixels.size()) {
    for (size_t r = 0; r < kBlockSide; ++r)
      for (size_t c = 0; c < kBlockSide; ++c) block[r][c] = pixels[first + r * width + c];
    return;
  }
  for (size_t r = 0; r < kBlockSide; ++r)
    for (size_t c = 0; c < kBlockSide; ++c) {
      const size_t at = first + r * width + c;
      block[r][c] = at < pixels.size() ? pixels[at] : 0;
    }
}

// The raster-order bit-plane bytes (bit 4 x row + column) of pixels above their thresholds;
// `thresholds` gives one per column of a row pair.
struct Planes {
  uint8_t top;
  uint8_t bottom;
};
Planes PlanesAbove(const BlockPixels& block, const std::array<uint32_t, kBlockSide>& topThresholds,
                   const std::array<uint32_t, kBlockSide>& bottomThresholds) {
  uint32_t top = 0;
  uint32_t bottom = 0;
  for (uint32_t c = 0; c < kBlockSide; ++c) {
    top |= uint32_t{block[0][c] > topThresholds[c]} << c;
    top |= uint32_t{block[1][c] > topThresholds[c]} << (c + 4);
    bottom |= uint32_t{block[2][c] > bottomThresholds[c]} << c;
    bottom |= uint32_t{block[3][c] > bottomThresholds[c]} << (c + 4);
  }
  return {static_cast<uint8_t>(top), static_cast<uint8_t>(bottom)};
}

struct Quadrant {
  uint32_t mean;
  uint8_t spread;
};
Quadrant QuadrantOf(const BlockPixels& block, size_t row, size_t column) {
  uint32_t sum = 0;
  uint32_t squares = 0;
  for (size_t r = row; r < row + 2; ++r)
    for (size_t c = column; c < column + 2; ++c) {
      sum += block[r][c];
      squares += uint32_t{block[r][c]} * block[r][c];
    }
  const double variance = static_cast<double>(4 * squares - sum * sum) / 16.0;
  return {sum / 4, static_cast<uint8_t>(std::sqrt(variance))};
}

// Appends the block's record, if it needs one, and returns its code.
BlockCode CodeBlock(const BlockPixels& block, uint8_t mean, uint32_t sum, uint32_t squares,
                    uint8_t*& record) {
  const auto sigma = static_cast<float>(
      std::sqrt(static_cast<double>(kPixelsPerBlock * squares - sum * sum) / 256.0));
  if (sigma > kQuadrantAbove) {
    const Quadrant topLeft = QuadrantOf(block, 0, 0);
    const Quadrant topRight = QuadrantOf(block, 0, 2);
    const Quadrant bottomLeft = QuadrantOf(block, 2, 0);
    const Quadrant bottomRight = QuadrantOf(block, 2, 2);
    const Planes planes =
        PlanesAbove(block, {topLeft.mean, topLeft.mean, topRight.mean, topRight.mean},
                    {bottomLeft.mean, bottomLeft.mean, bottomRight.mean, bottomRight.mean});
    namespace q = quadrant_record;
    record[q::kTopRightMean] = static_cast<uint8_t>(topRight.mean);
    record[q::kBottomLeftMean] = static_cast<uint8_t>(bottomLeft.mean);
    record[q::kBottomRightMean] = static_cast<uint8_t>(bottomRight.mean);
    record[q::kTopLeftSpread] = topLeft.spread;
    record[q::kTopRightSpread] = topRight.spread;
    record[q::kBottomLeftSpread] = bottomLeft.spread;
    record[q::kBottomRightSpread] = bottomRight.spread;
    record[q::kTopPlane] = planes.top;
    record[q::kBottomPlane] = planes.bottom;
    record += kQuadrantRecordLength;
    return kQuadrantBlock;
  }
  if (sigma > kFlatUpTo) {
    const std::array<uint32_t, kBlockSide> threshold{mean, mean, mean, mean};
    const Planes planes = PlanesAbove(block, threshold, threshold);
    record[whole_record::kSpread] = static_cast<uint8_t>(sigma);
    record[whole_record::kTopPlane] = planes.top;
    record[whole_record::kBottomPlane] = planes.bottom;
    record += kWholeRecordLength;
    return kWholeBlock;
  }
  return kFlatBlock;
}

}  // namespace

PairSize CompressedSizeFor(std::string_view sourceName, uint16_t width, uint16_t height) {
  const bool spectralPlane = sourceName.starts_with("TM") && !sourceName.starts_with("TM00");
  const uint32_t extra = spectralPlane ? 1 : 0;
  return {static_cast<uint16_t>((width / kStrip + extra) * kStrip),
          static_cast<uint16_t>((height / kStrip + extra) * kStrip)};
}

EncodedBlocks EncodeBlocks(std::span<const uint8_t> pixels, size_t width, PairSize compressed,
                           const std::function<void()>& afterBlockRow) {
  const size_t blocksPerRow = compressed.width / kBlockSide;
  const size_t blockRows = compressed.height / kBlockSide;
  const size_t blocks = blocksPerRow * blockRows;
  EncodedBlocks encoded;
  encoded.thumbnail.resize(blocks);
  encoded.map.assign((blocks + kBlocksPerMapByte - 1) / kBlocksPerMapByte, 0);
  encoded.records.resize(blocks * kQuadrantRecordLength);
  uint8_t* record = encoded.records.data();
  BlockPixels block;
  size_t k = 0;
  for (size_t by = 0; by < blockRows; ++by) {
    for (size_t bx = 0; bx < blocksPerRow; ++bx, ++k) {
      GatherBlock(pixels, width, bx * kBlockSide, by * kBlockSide, block);
      uint32_t sum = 0;
      uint32_t squares = 0;
      for (const auto& row : block)
        for (const uint8_t p : row) {
          sum += p;
          squares += uint32_t{p} * p;
        }
      const auto mean = static_cast<uint8_t>(sum / kPixelsPerBlock);
      encoded.thumbnail[k] = mean;
      const BlockCode code = CodeBlock(block, mean, sum, squares, record);
      encoded.map[k / kBlocksPerMapByte] |=
          static_cast<uint8_t>(code << (2 * (k % kBlocksPerMapByte)));
    }
    afterBlockRow();
  }
  encoded.records.resize(static_cast<size_t>(record - encoded.records.data()));
  return encoded;
}

}  // namespace kestrel
