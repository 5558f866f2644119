#include "bitmap/dib.h"

#include <algorithm>
#include <array>

namespace kestrel {
namespace {

// Rows of a picture, whichever way they run (a negative height is a top-down picture).
uint64_t RowCount(const BitmapInfoHeader& header) {
  const int64_t height = header.biHeight;
  return static_cast<uint64_t>(height < 0 ? -height : height);
}

}  // namespace

std::optional<BitmapInfoHeader> LoadInfoHeader(std::span<const uint8_t> bytes) {
  if (bytes.size() < kInfoHeaderSize) return std::nullopt;
  const uint8_t* p = bytes.data();
  BitmapInfoHeader h;
  h.biSize = LoadU32(p + dib_field::kSize);
  h.biWidth = LoadI32(p + dib_field::kWidth);
  h.biHeight = LoadI32(p + dib_field::kHeight);
  h.biPlanes = LoadU16(p + dib_field::kPlanes);
  h.biBitCount = LoadU16(p + dib_field::kBitCount);
  h.biCompression = LoadU32(p + dib_field::kCompression);
  h.biSizeImage = LoadU32(p + dib_field::kSizeImage);
  h.biXPelsPerMeter = LoadI32(p + dib_field::kXPelsPerMeter);
  h.biYPelsPerMeter = LoadI32(p + dib_field::kYPelsPerMeter);
  h.biClrUsed = LoadU32(p + dib_field::kClrUsed);
  h.biClrImportant = LoadU32(p + dib_field::kClrImportant);
  return h;
}

void StoreInfoHeader(const BitmapInfoHeader& h, std::span<uint8_t> bytes) {
  uint8_t* p = bytes.data();
  StoreU32(p + dib_field::kSize, h.biSize);
  StoreI32(p + dib_field::kWidth, h.biWidth);
  StoreI32(p + dib_field::kHeight, h.biHeight);
  StoreU16(p + dib_field::kPlanes, h.biPlanes);
  StoreU16(p + dib_field::kBitCount, h.biBitCount);
  StoreU32(p + dib_field::kCompression, h.biCompression);
  StoreU32(p + dib_field::kSizeImage, h.biSizeImage);
  StoreI32(p + dib_field::kXPelsPerMeter, h.biXPelsPerMeter);
  StoreI32(p + dib_field::kYPelsPerMeter, h.biYPelsPerMeter);
  StoreU32(p + dib_field::kClrUsed, h.biClrUsed);
  StoreU32(p + dib_field::kClrImportant, h.biClrImportant);
}

uint32_t RowLength(uint32_t bitCount, uint32_t width) {
  return static_cast<uint32_t>(RowLength64(bitCount, width));
}

uint64_t RowLength64(uint64_t bitCount, uint64_t width) { return (bitCount * width + 31) / 32 * 4; }

uint32_t ColourCount(const BitmapInfoHeader& header) {
  if (header.biSize != kCoreHeaderSize && header.biClrUsed != 0) return header.biClrUsed;
  switch (header.biBitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

uint32_t ColourTableSize(const BitmapInfoHeader& header) {
  const uint64_t entry = header.biSize == kCoreHeaderSize ? 3 : 4;
  // A hostile colour count saturates rather than wrapping to a small table.
  return static_cast<uint32_t>(std::min<uint64_t>(ColourCount(header) * entry, UINT32_MAX));
}

BitmapInfoHeader GetDibInfo(const BitmapInfoHeader& header) {
  BitmapInfoHeader info = header;
  if (info.biSize == kCoreHeaderSize) return info;
  if (info.biSizeImage == 0) {
    const auto size = CheckedMultiply(
        RowLength64(info.biBitCount, static_cast<uint32_t>(info.biWidth)), RowCount(info));
    info.biSizeImage = size && *size <= UINT32_MAX ? static_cast<uint32_t>(*size) : UINT32_MAX;
  }
  if (info.biClrUsed == 0) info.biClrUsed = ColourCount(info);
  return info;
}

std::optional<BitmapInfoHeader> GetDibInfo(const Bytes& block) {
  auto header = LoadInfoHeader(block);
  if (!header) return std::nullopt;
  return GetDibInfo(*header);
}

std::optional<size_t> UncompressedDibSize(const BitmapInfoHeader& header) {
  if (header.biWidth <= 0 || header.biHeight == 0) return std::nullopt;
  const uint64_t table = ColourCount(header) * uint64_t{4};
  return PictureBlockSize(RowLength64(header.biBitCount, static_cast<uint32_t>(header.biWidth)),
                          RowCount(header), kInfoHeaderSize + table);
}

Block NewPackedDib(int32_t width, int32_t height, uint16_t bitCount) {
  BitmapInfoHeader h;
  h.biWidth = width;
  h.biHeight = height;
  h.biBitCount = bitCount;
  const auto size = height > 0 ? UncompressedDibSize(h) : std::nullopt;
  if (!size) return {};
  h.biSizeImage = static_cast<uint32_t>(*size - PixelOffset(h));
  Block block = NewBlock(*size);
  StoreInfoHeader(h, *block);
  return block;
}

void FillGreyColourTable(Bytes& dib) {
  // Made once, at compile time: every loader writes it into every picture.
  static constexpr std::array<uint8_t, 1024> kGreyRamp = [] {
    std::array<uint8_t, 1024> table{};
    for (size_t i = 0; i < 256; ++i)
      table[4 * i] = table[4 * i + 1] = table[4 * i + 2] = static_cast<uint8_t>(i);
    return table;
  }();
  std::copy(kGreyRamp.begin(), kGreyRamp.end(), dib.begin() + kInfoHeaderSize);
}

bool IsWellFormedDib(const Bytes& block) {
  auto header = LoadInfoHeader(block);
  if (!header || header->biSize != kInfoHeaderSize) return false;
  const auto& h = *header;
  // Blocks in memory are always bottom-up; top-down files are turned over when read.
  if (h.biWidth <= 0 || h.biHeight <= 0) return false;
  if (h.biBitCount != 1 && h.biBitCount != 4 && h.biBitCount != 8 && h.biBitCount != 24)
    return false;
  const uint32_t colours = ColourCount(h);
  if (h.biBitCount != 24 && colours > (1u << h.biBitCount)) return false;
  if (colours > 256) return false;
  // An RLE picture is decoded whole before it is shown: its rows must fit the limit too,
  // however few bytes its codes take.
  const auto decodedSize = UncompressedDibSize(h);
  if (!decodedSize) return false;
  if (h.biCompression == kCompressionRgb) return *decodedSize <= block.size();
  const bool rleMatchesDepth = (h.biCompression == kCompressionRle8 && h.biBitCount == 8) ||
                               (h.biCompression == kCompressionRle4 && h.biBitCount == 4);
  return rleMatchesDepth && uint64_t{PixelOffset(h)} + h.biSizeImage <= block.size();
}

}  // namespace kestrel
