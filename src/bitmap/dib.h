#pragma once
// The packed DIB: a 40-byte header, the colour table, then bottom-up rows padded to 4 bytes,
// all in one block.

#include <cstdint>
#include <optional>
#include <span>

#include "base/block.h"

namespace kestrel {

inline constexpr uint32_t kInfoHeaderSize = 40;
inline constexpr uint32_t kCoreHeaderSize = 12;
inline constexpr uint32_t kFileHeaderSize = 14;
inline constexpr uint16_t kBitmapFileType = 0x4D42;  // "BM"

enum DibCompression : uint32_t { kCompressionRgb = 0, kCompressionRle8 = 1, kCompressionRle4 = 2 };

// Offsets of the 40-byte header's fields.
namespace dib_field {
inline constexpr size_t kSize = 0;
inline constexpr size_t kWidth = 4;
inline constexpr size_t kHeight = 8;
inline constexpr size_t kPlanes = 12;
inline constexpr size_t kBitCount = 14;
inline constexpr size_t kCompression = 16;
inline constexpr size_t kSizeImage = 20;
inline constexpr size_t kXPelsPerMeter = 24;
inline constexpr size_t kYPelsPerMeter = 28;
inline constexpr size_t kClrUsed = 32;
inline constexpr size_t kClrImportant = 36;
}  // namespace dib_field

struct BitmapInfoHeader {
  uint32_t biSize = kInfoHeaderSize;
  int32_t biWidth = 0;
  int32_t biHeight = 0;
  uint16_t biPlanes = 1;
  uint16_t biBitCount = 0;
  uint32_t biCompression = kCompressionRgb;
  uint32_t biSizeImage = 0;
  int32_t biXPelsPerMeter = 0;
  int32_t biYPelsPerMeter = 0;
  uint32_t biClrUsed = 0;
  uint32_t biClrImportant = 0;
};

// The header fields as stored at the start of a block (40-byte layout); none when too short.
std::optional<BitmapInfoHeader> LoadInfoHeader(std::span<const uint8_t> bytes);
void StoreInfoHeader(const BitmapInfoHeader& header, std::span<uint8_t> bytes);

// Bytes in one row, padded to a multiple of 4.
uint32_t RowLength(uint32_t bitCount, uint32_t width);
uint64_t RowLength64(uint64_t bitCount, uint64_t width);

// N: biClrUsed when set (40-byte header), else 2, 16 or 256 by bit count, else 0.
uint32_t ColourCount(const BitmapInfoHeader& header);
// N x 4 for a 40-byte header, N x 3 for a core header.
uint32_t ColourTableSize(const BitmapInfoHeader& header);

// The completed header copy: a zero biSizeImage becomes row length x height, a zero
// biClrUsed becomes N. A core header is copied as it is.
BitmapInfoHeader GetDibInfo(const BitmapInfoHeader& header);
std::optional<BitmapInfoHeader> GetDibInfo(const Bytes& block);

// Offset of the first pixel byte inside a packed DIB.
inline uint32_t PixelOffset(const BitmapInfoHeader& header) {
  return header.biSize + ColourTableSize(header);
}

// The bytes of an uncompressed packed DIB with this header's geometry, depth and colour table,
// its rows counted whichever way they run; none when it would pass the picture limit. For an
// RLE picture, the size it decodes to.
std::optional<size_t> UncompressedDibSize(const BitmapInfoHeader& header);

// A new packed DIB of the given geometry with a zeroed colour table of 2^bits entries (none for
// 24 bits) and zeroed pixels; biSizeImage is filled in. None for an empty geometry or one that
// would pass the picture limit.
Block NewPackedDib(int32_t width, int32_t height, uint16_t bitCount);

// A grey-scale colour table (entry i = i, i, i) for an 8-bit packed DIB.
void FillGreyColourTable(Bytes& dib);

// Checks that a packed DIB is whole: a 40-byte header, a supported depth, sizes that fit
// in the block, and a picture within the picture limit once decoded. Every function that walks
// pixels calls it first.
bool IsWellFormedDib(const Bytes& block);

}  // namespace kestrel
