#pragma once
// Rebuilding a picture from the bytes of a thumbnail file and its compressed file: every
// 4 x 4 block (or each 2 x 2 quadrant of it) drawn with a low and a high level around its
// mean, a bit-plane choosing the level of each pixel.

#include <cstdint>
#include <span>

#include "base/block.h"

namespace kestrel {

// What is wrong with a pair, in the order the decoder looks.
enum class PairFault {
  None,
  ThumbnailIncomplete,   // shorter than its header, or fewer values than its size asks for
  CompressedIncomplete,  // shorter than its header
  SizesDisagree,         // the compressed picture is not four times the thumbnail each way
  EmptyPicture,          // zero width or height
  PictureTooLarge,       // more values than a picture within the picture limit has
};

// The picture size stored in a pair file's header; the file holds a whole header.
struct PairSize {
  uint16_t width = 0;
  uint16_t height = 0;
};
PairSize HeaderSize(std::span<const uint8_t> file);

// The bytes at the start of a compressed file that a thumbnail of `thumbnailValues` values can
// use: header, map and the longest records its map can ask for. Anything after them is never
// read.
uint64_t UsableCompressedLength(uint64_t thumbnailValues);

struct DecodedPair {
  PairFault fault = PairFault::None;
  PairSize size;  // of the compressed picture
  // 16 bytes per thumbnail value, rows of `size.width` bytes, first row first. A map or
  // records that end early read as zeros; values beyond the thumbnail's own size give rows
  // beyond its height.
  Bytes picture;
};
DecodedPair DecodePair(std::span<const uint8_t> thumbnailFile,
                       std::span<const uint8_t> compressedFile);

}  // namespace kestrel
