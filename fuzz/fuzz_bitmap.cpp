// Bitmap files of any content, read from memory: the reader, the RLE decoder and the depth
// conversions must refuse or handle them without reading or writing out of bounds.

#include <cstdint>
#include <span>

#include "bitmap/bitmap_file.h"
#include "bitmap/convert.h"

namespace {
// Pictures up to this size are decoded and go through every conversion: room for a row as long
// as the longest RLE run, and for more colours than a 4-bit table holds, so median cut runs
// (the same code at 8 bits, where a larger picture would need it). The kernels run the same
// code at any size, and under the sanitizers every pixel costs each conversion a fraction of a
// microsecond; a few bytes of RLE may describe a picture of hundreds of megabytes, whose
// zero-filled blocks would cost the fuzzer a second each for nothing new. Such headers are
// still read and checked against the picture limit.
constexpr uint64_t kConvertedPixelLimit = uint64_t{1} << 8;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kestrel;
  const BitmapReadResult read = ReadBitmapBytes(std::span(data, size));
  if (!read.dib) return 0;
  const Bytes& dib = *read.dib;
  // Whatever was accepted is well formed.
  if (!IsWellFormedDib(dib)) __builtin_trap();
  const BitmapInfoHeader header = *LoadInfoHeader(dib);
  // The reader leaves every picture bottom-up, with a positive height.
  if (uint64_t{static_cast<uint32_t>(header.biWidth)} * static_cast<uint32_t>(header.biHeight) >
      kConvertedPixelLimit)
    return 0;
  // Every conversion of an RLE picture starts by decoding it: once through a conversion, and
  // the rest from the decoded copy, for a long run of RLE records costs more than the picture.
  ConvertDib(dib, kCompressionRle8, 8);
  const Block plain = header.biCompression == kCompressionRgb ? read.dib : DecodeRle(dib);
  if (!plain) return 0;
  // Plain 4 and 8 bits are the first half of RLE 4 and RLE 8, the very same conversion.
  ConvertDib(*plain, kCompressionRgb, 1);
  ConvertDib(*plain, kCompressionRgb, 24);
  ConvertDib(*plain, kCompressionRle4, 4);
  return 0;
}
