#pragma once
// Coding a picture as a thumbnail of block means and a compressed file: each 4 x 4 block is
// flat, two-level as a whole, or two-level per 2 x 2 quadrant, by its standard deviation.

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "base/block.h"
#include "codec/pair_decoder.h"

namespace kestrel {

// The picture size the compressed file describes for a source picture of `width` x `height`:
// whole 16-pixel strips, and for TMSat spectral planes one strip more each way, as their
// ground software expects (kept in 16 bits, as the header stores it).
PairSize CompressedSizeFor(std::string_view sourceName, uint16_t width, uint16_t height);

struct EncodedBlocks {
  Bytes thumbnail;  // one mean per block, in block order
  Bytes map;        // four 2-bit codes per byte
  Bytes records;    // the records of the blocks that need one, packed
};

// Codes the blocks of a compressed picture of size `compressed` from `pixels`, taken as one
// row-major run of rows `width` bytes long: columns past the row's end read on into the next
// row and positions past the end read 0. `afterBlockRow` runs once per row of blocks.
EncodedBlocks EncodeBlocks(std::span<const uint8_t> pixels, size_t width, PairSize compressed,
                           const std::function<void()>& afterBlockRow);

}  // namespace kestrel
