#pragma once
// The compressed picture pair: a thumbnail of block means and a compressed file holding a
// 2-bit code per 4 x 4 block and the records those codes ask for. Layout constants and the
// way the three file names follow from one another.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/block.h"
#include "satfiles/identification.h"

namespace kestrel {

// Both files, and the decoded picture file, start with a camera header that keeps the size
// of the picture the file stands for at the probe offsets.
inline constexpr size_t kPairHeaderLength = kCameraHeaderLength;
inline constexpr size_t kPairWidthOffset = kProbeWidthOffset;
inline constexpr size_t kPairHeightOffset = kProbeHeightOffset;

inline constexpr uint32_t kBlockSide = 4;
inline constexpr uint32_t kPixelsPerBlock = kBlockSide * kBlockSide;
inline constexpr uint32_t kBlocksPerMapByte = 4;

enum BlockCode : uint8_t {
  kFlatBlock = 0,      // all 16 pixels take the thumbnail value
  kUnusedBlock = 1,    // never written; a reader uses up the thumbnail value and draws nothing
  kQuadrantBlock = 2,  // two levels for each 2 x 2 quadrant
  kWholeBlock = 3,     // two levels for the whole block
};

inline constexpr size_t kQuadrantRecordLength = 9;
inline constexpr size_t kWholeRecordLength = 3;

// Fields of a quadrant block record.
namespace quadrant_record {
inline constexpr size_t kTopRightMean = 0;
inline constexpr size_t kBottomLeftMean = 1;
inline constexpr size_t kBottomRightMean = 2;
inline constexpr size_t kTopLeftSpread = 3;
inline constexpr size_t kTopRightSpread = 4;
inline constexpr size_t kBottomLeftSpread = 5;
inline constexpr size_t kBottomRightSpread = 6;
inline constexpr size_t kTopPlane = 7;
inline constexpr size_t kBottomPlane = 8;
}  // namespace quadrant_record

// Fields of a whole block record.
namespace whole_record {
inline constexpr size_t kSpread = 0;
inline constexpr size_t kTopPlane = 1;
inline constexpr size_t kBottomPlane = 2;
}  // namespace whole_record

// Bits of a bit-plane byte (raster order, bit 4 x row + column) that belong to the left and
// the right quadrant of its two rows.
inline constexpr uint8_t kLeftQuadrantBits = 0x33;
inline constexpr uint8_t kRightQuadrantBits = 0xCC;

// The most values a thumbnail may hold: each is decoded to a block of 16 pixel bytes, and the
// decoded picture stays within the picture limit.
inline constexpr uint64_t kMostThumbnailValues = kPictureBlockLimit / kPixelsPerBlock;

// Whether a name belongs to the TMSat or "FB" naming, where the extension tells the three
// files apart.
bool UsesExtensionNaming(std::string_view name);

// The compressed and decoded names that go with a thumbnail name. An empty name is one that
// cannot be derived (it names no file).
struct DecoderNames {
  std::string compressed;
  std::string decoded;
};
DecoderNames DecoderNamesFor(std::string_view thumbnailName, bool secondNumbering);

// The thumbnail and compressed names the compressor gives its outputs for a source name.
// Outside the TMSat naming the compressed name is the source's less its extension, if it has
// one, with "C" third: it keeps the picture's number, and the decoder finds it the same way.
struct CompressorNames {
  std::string thumbnail;
  std::string compressed;
};
CompressorNames CompressorNamesFor(std::string_view sourceName);

}  // namespace kestrel
