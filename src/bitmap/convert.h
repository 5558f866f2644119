#pragma once
// Pure conversions of packed DIBs between depths and compressions.

#include <cstdint>

#include "base/block.h"
#include "bitmap/dib.h"

namespace kestrel {

// An RLE4 or RLE8 packed DIB decoded to uncompressed rows of the same depth; none when the
// data ends inside a code. Pixels that the codes skip are left at index 0; pixels that they
// place outside the picture are dropped.
Block DecodeRle(const Bytes& dib);

// Uncompressed 4- or 8-bit packed DIB encoded with RLE4 or RLE8.
Block EncodeRle(const Bytes& dib);

// An uncompressed packed DIB at 1, 4, 8 or 24 bits. Going down, every pixel takes the nearest
// colour of the target palette: the picture's own colours when they fit, else a palette cut
// from the picture's colours by median cut.
Block ConvertDepth(const Bytes& dib, uint16_t bitCount);

// Any well-formed packed DIB at the requested depth and compression (RLE8 needs 8 bits, RLE4
// needs 4); none when the request is not one a bitmap file can hold, or when the result would
// pass the picture limit (a 1-bit picture near the limit has no 24-bit copy).
Block ConvertDib(const Bytes& dib, uint32_t compression, uint16_t bitCount);

}  // namespace kestrel
