// Bitmap files of any content: the reader, the RLE decoder and the depth conversions must
// refuse or handle them without reading or writing out of bounds.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bitmap/bitmap_file.h"
#include "bitmap/convert.h"
#include "platform/files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kestrel;
  static const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("kestrel-fuzz-" + std::to_string(::getpid()) + ".bmp");
  if (!WriteFileReplacing(path, std::span(data, size))) return 0;
  const BitmapReadResult read = ReadBitmapFile(path);
  if (!read.dib) return 0;
  const Bytes& dib = *read.dib;
  // Whatever was accepted is well formed and converts, at any size: the picture limit keeps
  // even the largest header cheap.
  if (!IsWellFormedDib(dib)) __builtin_trap();
  if (LoadInfoHeader(dib)->biCompression != kCompressionRgb) DecodeRle(dib);
  for (uint16_t bits : {uint16_t{1}, uint16_t{8}, uint16_t{24}}) ConvertDib(dib, kCompressionRgb, bits);
  ConvertDib(dib, kCompressionRle8, 8);
  ConvertDib(dib, kCompressionRle4, 4);
  return 0;
}
