#include "bitmap/png_file.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdint>

#include "bitmap/convert.h"
#include "bitmap/dib.h"

namespace kestrel {
namespace {

// Filtered camera pictures are mostly small residues with a grey level of sensor noise, where
// long matches are rare: run-length matching alone packs them a few percent smaller than
// zlib's default search (at any level) in a tenth of its time, and still finds flat areas.
constexpr int kResidueStrategy = Z_RLE;

struct PngWriter {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~PngWriter() { png_destroy_write_struct(&png, &info); }
};

void AppendToBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void FlushNothing(png_structp) {}

// What an 8-bit picture's pixels become: the grey level of each index when every index in use
// names a grey, else palette entries (as many as the highest index in use needs).
struct EightBitLayout {
  bool grey = true;
  std::array<uint8_t, 256> level{};
  std::array<png_color, 256> palette{};
  int paletteSize = 0;
};

EightBitLayout LayoutOf(const uint8_t* table, uint32_t colours, const uint8_t* pixels,
                        uint32_t width, uint32_t height, uint32_t stride) {
  std::array<bool, 256> used{};
  for (uint32_t y = 0; y < height; ++y)
    for (const uint8_t* p = pixels + size_t{y} * stride; p != pixels + size_t{y} * stride + width; ++p)
      used[*p] = true;
  EightBitLayout layout;
  for (uint32_t i = 0; i < 256; ++i) {
    if (!used[i]) continue;
    layout.paletteSize = static_cast<int>(i + 1);
    if (i >= colours) {
      layout.grey = false;  // an index beyond the table shows black, as a palette entry
      continue;
    }
    const uint8_t* entry = table + 4 * i;  // blue, green, red, reserved
    layout.palette[i] = {entry[2], entry[1], entry[0]};
    layout.level[i] = entry[0];
    if (entry[0] != entry[1] || entry[1] != entry[2]) layout.grey = false;
  }
  layout.paletteSize = std::max(layout.paletteSize, 1);
  return layout;
}

}  // namespace

std::optional<Bytes> EncodePng(const Bytes& dib, PngPacking packing) {
  const auto source = LoadInfoHeader(dib);
  if (!source) return std::nullopt;
  // Rows of whole bytes: RLE decoded, 1 and 4 bits spread to 8 (ConvertDib checks the DIB).
  const Block plain = ConvertDib(dib, kCompressionRgb, source->biBitCount == 24 ? 24 : 8);
  if (!plain) return std::nullopt;
  const BitmapInfoHeader h = *LoadInfoHeader(*plain);
  const auto width = static_cast<uint32_t>(h.biWidth);
  const auto height = static_cast<uint32_t>(h.biHeight);
  const uint32_t stride = RowLength(h.biBitCount, width);
  const uint8_t* pixels = plain->data() + PixelOffset(h);
  const bool eightBit = h.biBitCount == 8;
  const EightBitLayout layout =
      eightBit ? LayoutOf(plain->data() + kInfoHeaderSize, ColourCount(h), pixels, width, height, stride)
               : EightBitLayout{};

  Bytes out;
  out.reserve(plain->size() / 2);
  Bytes row(size_t{width} * 3);
  PngWriter writer;
  writer.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!writer.png) return std::nullopt;
  writer.info = png_create_info_struct(writer.png);
  if (!writer.info) return std::nullopt;
  if (setjmp(png_jmpbuf(writer.png))) return std::nullopt;
  png_set_write_fn(writer.png, &out, AppendToBytes, FlushNothing);
  const int colourType = !eightBit ? PNG_COLOR_TYPE_RGB
                         : layout.grey ? PNG_COLOR_TYPE_GRAY
                                       : PNG_COLOR_TYPE_PALETTE;
  png_set_IHDR(writer.png, writer.info, width, height, 8, colourType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (colourType == PNG_COLOR_TYPE_PALETTE)
    png_set_PLTE(writer.png, writer.info, layout.palette.data(), layout.paletteSize);
  else {  // filters pay off on levels and colours, not on palette indices
    png_set_filter(writer.png, PNG_FILTER_TYPE_BASE,
                   packing == PngPacking::Smallest ? PNG_ALL_FILTERS : PNG_FILTER_SUB);
    png_set_compression_strategy(writer.png, kResidueStrategy);
  }
  png_write_info(writer.png, writer.info);
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* sourceRow = pixels + size_t{height - 1 - y} * stride;  // DIB rows are bottom-up
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
      png_write_row(writer.png, sourceRow);
      continue;
    }
    if (colourType == PNG_COLOR_TYPE_GRAY) {
      for (uint32_t x = 0; x < width; ++x) row[x] = layout.level[sourceRow[x]];
    } else {
      for (uint32_t x = 0; x < width; ++x) {
        row[3 * x + 0] = sourceRow[3 * x + 2];
        row[3 * x + 1] = sourceRow[3 * x + 1];
        row[3 * x + 2] = sourceRow[3 * x + 0];
      }
    }
    png_write_row(writer.png, row.data());
  }
  png_write_end(writer.png, nullptr);
  return out;
}

}  // namespace kestrel
