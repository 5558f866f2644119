#include "codec/pair_decoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "codec/pair_format.h"

namespace kestrel {
namespace {

constexpr uint32_t kQuadrantPixels = 4;
constexpr uint32_t kWholePixels = kPixelsPerBlock;

constexpr uint32_t FloorSqrt(uint32_t value) {
  uint32_t root = 0;
  while ((root + 1) * (root + 1) <= value) ++root;
  return root;
}

// Level factors of a group of P pixels of which n are high: the square roots, rounded down,
// of whole-number quotients, as the satellites' own decoder takes them. A factor that has no
// pixel to act on is 0.
template <uint32_t P>
constexpr std::array<uint8_t, P + 1> LowFactors() {
  std::array<uint8_t, P + 1> factors{};
  for (uint32_t n = 0; n < P; ++n) factors[n] = static_cast<uint8_t>(FloorSqrt(n / (P - n)));
  return factors;
}
template <uint32_t P>
constexpr std::array<uint8_t, P + 1> HighFactors() {
  std::array<uint8_t, P + 1> factors{};
  for (uint32_t n = 1; n <= P; ++n) factors[n] = static_cast<uint8_t>(FloorSqrt((P - n) / n));
  return factors;
}
constexpr auto kQuadrantLowFactors = LowFactors<kQuadrantPixels>();
constexpr auto kQuadrantHighFactors = HighFactors<kQuadrantPixels>();
constexpr auto kWholeLowFactors = LowFactors<kWholePixels>();
constexpr auto kWholeHighFactors = HighFactors<kWholePixels>();

// The most record bytes the four codes of one map byte can ask for.
constexpr size_t kMostRecordBytesPerMapByte = kBlocksPerMapByte * kQuadrantRecordLength;

// High pixels marked in a bit-plane byte (a table: the target need not count bits itself).
constexpr std::array<uint8_t, 256> BitCounts() {
  std::array<uint8_t, 256> counts{};
  for (uint32_t bits = 0; bits < 256; ++bits)
    counts[bits] = static_cast<uint8_t>(std::popcount(bits));
  return counts;
}
constexpr auto kBitCounts = BitCounts();

// A block row of four pixels is handled as one 32-bit word; these masks select the pixels whose
// bits are set in a 4-bit row of a bit-plane byte.
constexpr std::array<uint32_t, 16> RowMasks() {
  std::array<uint32_t, 16> masks{};
  for (uint32_t bits = 0; bits < 16; ++bits) {
    std::array<uint8_t, 4> bytes{};
    for (uint32_t column = 0; column < 4; ++column)
      bytes[column] = (bits >> column) & 1 ? 0xFF : 0x00;
    masks[bits] = std::bit_cast<uint32_t>(bytes);
  }
  return masks;
}
constexpr auto kRowMasks = RowMasks();

inline uint32_t Broadcast(uint32_t level) { return level * 0x01010101u; }
inline uint32_t LeftRight(uint32_t left, uint32_t right) {
  return std::bit_cast<uint32_t>(
      std::array<uint8_t, 4>{static_cast<uint8_t>(left), static_cast<uint8_t>(left),
                             static_cast<uint8_t>(right), static_cast<uint8_t>(right)});
}
// Each pixel takes the high level where its bit is set.
inline uint32_t SelectLevels(uint32_t low, uint32_t high, uint32_t bits) {
  return low ^ ((low ^ high) & kRowMasks[bits & 0xF]);
}

struct Levels {
  uint32_t low;
  uint32_t high;
};
inline Levels LevelsAround(uint32_t mean, uint32_t spread, uint32_t lowFactor,
                           uint32_t highFactor) {
  const uint32_t down = lowFactor * spread;
  const uint32_t up = mean + highFactor * spread;
  return {down > mean ? 0 : mean - down, std::min<uint32_t>(up, 255)};
}

using BlockRows = std::array<uint32_t, kBlockSide>;

BlockRows WholeBlock(uint32_t mean, const uint8_t* record) {
  const uint32_t spread = record[whole_record::kSpread];
  const uint32_t top = record[whole_record::kTopPlane];
  const uint32_t bottom = record[whole_record::kBottomPlane];
  const size_t high = size_t{kBitCounts[top]} + kBitCounts[bottom];
  const Levels l = LevelsAround(mean, spread, kWholeLowFactors[high], kWholeHighFactors[high]);
  const uint32_t low = Broadcast(l.low);
  const uint32_t up = Broadcast(l.high);
  return {SelectLevels(low, up, top), SelectLevels(low, up, top >> 4),
          SelectLevels(low, up, bottom), SelectLevels(low, up, bottom >> 4)};
}

// Two quadrants side by side share a bit-plane byte: the left one in its low two bits of each
// row, the right one in the high two.
void QuadrantPair(uint32_t leftMean, uint32_t leftSpread, uint32_t rightMean, uint32_t rightSpread,
                  uint32_t plane, uint32_t* rows) {
  const size_t leftHigh = kBitCounts[plane & kLeftQuadrantBits];
  const size_t rightHigh = kBitCounts[plane & kRightQuadrantBits];
  const Levels left = LevelsAround(leftMean, leftSpread, kQuadrantLowFactors[leftHigh],
                                   kQuadrantHighFactors[leftHigh]);
  const Levels right = LevelsAround(rightMean, rightSpread, kQuadrantLowFactors[rightHigh],
                                    kQuadrantHighFactors[rightHigh]);
  const uint32_t low = LeftRight(left.low, right.low);
  const uint32_t high = LeftRight(left.high, right.high);
  rows[0] = SelectLevels(low, high, plane);
  rows[1] = SelectLevels(low, high, plane >> 4);
}

BlockRows QuadrantBlock(uint32_t mean, const uint8_t* record) {
  namespace q = quadrant_record;
  // The top-left mean is not stored: the four quadrant means add up to four block means.
  const uint32_t others =
      uint32_t{record[q::kTopRightMean]} + record[q::kBottomLeftMean] + record[q::kBottomRightMean];
  const uint32_t topLeftMean = others > 4 * mean ? 0 : std::min<uint32_t>(4 * mean - others, 255);
  BlockRows rows{};
  QuadrantPair(topLeftMean, record[q::kTopLeftSpread], record[q::kTopRightMean],
               record[q::kTopRightSpread], record[q::kTopPlane], &rows[0]);
  QuadrantPair(record[q::kBottomLeftMean], record[q::kBottomLeftSpread],
               record[q::kBottomRightMean], record[q::kBottomRightSpread], record[q::kBottomPlane],
               &rows[2]);
  return rows;
}

// Writes a block's rows at `offset`; a block of the last, unfinished block row keeps only the
// pixels that fall inside the picture.
inline void PutBlock(const BlockRows& rows, Bytes& picture, size_t offset, size_t width) {
  uint8_t* const out = picture.data();
  if (offset + 3 * width + kBlockSide <= picture.size()) {
    for (size_t r = 0; r < kBlockSide; ++r) std::memcpy(out + offset + r * width, &rows[r], 4);
    return;
  }
  for (size_t r = 0; r < kBlockSide; ++r) {
    const size_t start = offset + r * width;
    if (start >= picture.size()) return;
    std::memcpy(out + start, &rows[r], std::min<size_t>(kBlockSide, picture.size() - start));
  }
}

// One pass over the map, the thumbnail values and the records. `body` holds the map and then
// at least as many record bytes as the map can ask for.
void DrawBlocks(std::span<const uint8_t> values, const uint8_t* body, size_t width,
                Bytes& picture) {
  const size_t mapBytes = values.size() / kBlocksPerMapByte;
  const uint8_t* record = body + mapBytes;
  const size_t blocksPerRow = width / kBlockSide;
  size_t offset = 0;
  size_t column = 0;
  for (size_t i = 0; i < mapBytes; ++i) {
    const uint32_t codes = body[i];
    for (uint32_t k = 0; k < kBlocksPerMapByte; ++k) {
      const uint32_t mean = values[i * kBlocksPerMapByte + k];
      BlockRows rows;
      switch ((codes >> (2 * k)) & 3) {
        case kFlatBlock:
          rows.fill(Broadcast(mean));
          break;
        case kWholeBlock:
          rows = WholeBlock(mean, record);
          record += kWholeRecordLength;
          break;
        case kQuadrantBlock:
          rows = QuadrantBlock(mean, record);
          record += kQuadrantRecordLength;
          break;
        default:  // unused code: its value is used up, nothing is drawn, no place is taken
          continue;
      }
      PutBlock(rows, picture, offset, width);
      offset += kBlockSide;
      if (++column == blocksPerRow) {
        column = 0;
        offset += (kBlockSide - 1) * width;
      }
    }
  }
}

}  // namespace

PairSize HeaderSize(std::span<const uint8_t> file) {
  return {LoadU16(file.data() + kPairWidthOffset), LoadU16(file.data() + kPairHeightOffset)};
}

uint64_t UsableCompressedLength(uint64_t thumbnailValues) {
  const uint64_t mapBytes = thumbnailValues / kBlocksPerMapByte;
  return kPairHeaderLength + mapBytes + mapBytes * kMostRecordBytesPerMapByte;
}

DecodedPair DecodePair(std::span<const uint8_t> thumbnailFile,
                       std::span<const uint8_t> compressedFile) {
  DecodedPair decoded;
  if (thumbnailFile.size() < kPairHeaderLength) {
    decoded.fault = PairFault::ThumbnailIncomplete;
    return decoded;
  }
  if (compressedFile.size() < kPairHeaderLength) {
    decoded.fault = PairFault::CompressedIncomplete;
    return decoded;
  }
  const PairSize thumbnail = HeaderSize(thumbnailFile);
  decoded.size = HeaderSize(compressedFile);
  if (decoded.size.width != kBlockSide * uint32_t{thumbnail.width} ||
      decoded.size.height != kBlockSide * uint32_t{thumbnail.height}) {
    decoded.fault = PairFault::SizesDisagree;
    return decoded;
  }
  if (thumbnail.width == 0 || thumbnail.height == 0) {
    decoded.fault = PairFault::EmptyPicture;
    return decoded;
  }
  // The header's size must be backed by values; more values than it asks for are drawn on
  // below its last row.
  if (thumbnailFile.size() - kPairHeaderLength < size_t{thumbnail.width} * thumbnail.height) {
    decoded.fault = PairFault::ThumbnailIncomplete;
    return decoded;
  }

  const std::span<const uint8_t> values = thumbnailFile.subspan(kPairHeaderLength);
  // Every value becomes 16 bytes of picture: the thumbnail's length, not its header, sizes the
  // picture, so it meets the limit before anything is allocated.
  if (values.size() > kMostThumbnailValues) {
    decoded.fault = PairFault::PictureTooLarge;
    return decoded;
  }
  // A compressed file that ends early reads as zeros: flat blocks where the map is missing,
  // zero spreads and planes where records are.
  const auto usable = static_cast<size_t>(UsableCompressedLength(values.size()));
  Bytes padded;
  std::span<const uint8_t> compressed = compressedFile;
  if (compressed.size() < usable) {
    padded.assign(usable, 0);
    std::copy(compressed.begin(), compressed.end(), padded.begin());
    compressed = padded;
  }
  decoded.picture.assign(values.size() * kPixelsPerBlock, 0);
  DrawBlocks(values, compressed.data() + kPairHeaderLength, decoded.size.width, decoded.picture);
  return decoded;
}

}  // namespace kestrel
