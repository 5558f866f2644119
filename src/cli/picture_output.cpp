#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <system_error>

#include "bitmap/bitmap_file.h"
#include "bitmap/convert.h"
#include "bitmap/dib.h"
#include "cli/cli.h"
#include "platform/files.h"

namespace kestrel::cli {
namespace {

struct PngWriter {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~PngWriter() { png_destroy_write_struct(&png, &info); }
};

void AppendToBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

// A PNG of the picture: palette images keep their colour table, 24-bit ones become RGB.
bool EncodePng(const Bytes& dib, Bytes& out) {
  Block plain = ConvertDib(dib, kCompressionRgb, LoadInfoHeader(dib)->biBitCount == 24 ? 24 : 8);
  if (!plain) return false;
  const BitmapInfoHeader h = *LoadInfoHeader(*plain);
  const auto width = static_cast<uint32_t>(h.biWidth);
  const auto height = static_cast<uint32_t>(h.biHeight);
  const uint32_t stride = RowLength(h.biBitCount, width);
  const uint8_t* pixels = plain->data() + PixelOffset(h);

  PngWriter writer;
  writer.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!writer.png) return false;
  writer.info = png_create_info_struct(writer.png);
  if (!writer.info) return false;
  Bytes row(size_t{width} * 3);
  if (setjmp(png_jmpbuf(writer.png))) return false;
  png_set_write_fn(writer.png, &out, AppendToBytes, nullptr);
  if (h.biBitCount == 8) {
    const uint32_t colours = ColourCount(h);
    png_color palette[256];
    const uint8_t* table = plain->data() + kInfoHeaderSize;
    for (uint32_t i = 0; i < colours; ++i)
      palette[i] = {table[4 * i + 2], table[4 * i + 1], table[4 * i + 0]};
    png_set_IHDR(writer.png, writer.info, width, height, 8, PNG_COLOR_TYPE_PALETTE,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(writer.png, writer.info, palette, static_cast<int>(colours));
  } else {
    png_set_IHDR(writer.png, writer.info, width, height, 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  }
  png_write_info(writer.png, writer.info);
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* source = pixels + size_t{height - 1 - y} * stride;  // DIB rows are bottom-up
    if (h.biBitCount == 8) {
      png_write_row(writer.png, source);
      continue;
    }
    for (uint32_t x = 0; x < width; ++x) {
      row[3 * x + 0] = source[3 * x + 2];
      row[3 * x + 1] = source[3 * x + 1];
      row[3 * x + 2] = source[3 * x + 0];
    }
    png_write_row(writer.png, row.data());
  }
  png_write_end(writer.png, nullptr);
  return true;
}

bool IsPngName(const std::filesystem::path& out) {
  return ToUpperAscii(out.extension().string()) == ".PNG";
}

}  // namespace

bool WritePicture(Session& session, const Bytes& dib, const std::filesystem::path& out) {
  Bytes file;
  if (IsPngName(out)) {
    if (!EncodePng(dib, file)) file.clear();
  } else if (dib.size() <= UINT32_MAX - kFileHeaderSize) {  // the file header's size field
    file = EncodeBitmapFile(dib);
  }
  std::error_code error;
  if (!file.empty() && WriteFileReplacing(out, file, error)) return true;
  ShowErrorBox(session, "Unable to save the specified file");
  if (error) std::fprintf(stderr, "kestrel-cli: %s: %s\n", out.c_str(), error.message().c_str());
  return false;
}

}  // namespace kestrel::cli
