#include "bitmap/thumbnail.h"

#include <algorithm>
#include <array>
#include <vector>

#include "bitmap/convert.h"
#include "bitmap/dib.h"

namespace kestrel {
namespace {

constexpr size_t kTableEntryBytes = 4;

// The grey level of each index of an 8-bit picture's table, when every entry is a grey.
std::optional<std::array<uint8_t, 256>> GreyLevels(const Bytes& dib, const BitmapInfoHeader& header) {
  if (header.biBitCount != 8 || header.biCompression != kCompressionRgb) return std::nullopt;
  std::array<uint8_t, 256> levels{};  // indexes past the table show black
  const uint32_t entries = std::min<uint32_t>(ColourCount(header), 256);
  for (uint32_t i = 0; i < entries; ++i) {
    const uint8_t* entry = dib.data() + kInfoHeaderSize + i * kTableEntryBytes;
    if (entry[0] != entry[1] || entry[1] != entry[2]) return std::nullopt;
    levels[i] = entry[0];
  }
  return levels;
}

// Sums `channels`-byte pixels of the bottom-up rows of `source` into blocks of a
// `width` x `height` picture, then writes the means into `out`, also bottom-up.
void AverageBlocks(const uint8_t* source, uint32_t sourceWidth, uint32_t sourceHeight,
                   uint32_t sourceRow, uint8_t* out, uint32_t width, uint32_t height, uint32_t outRow,
                   uint32_t channels, const std::array<uint8_t, 256>* levels) {
  std::vector<uint32_t> columnStart(width + 1);
  for (uint32_t x = 0; x <= width; ++x) columnStart[x] = static_cast<uint32_t>(uint64_t{x} * sourceWidth / width);
  std::vector<uint64_t> sums(size_t{width} * channels);
  for (uint32_t y = 0; y < height; ++y) {
    const uint32_t rowBegin = static_cast<uint32_t>(uint64_t{y} * sourceHeight / height);
    const uint32_t rowEnd = static_cast<uint32_t>(uint64_t{y + 1} * sourceHeight / height);
    std::fill(sums.begin(), sums.end(), 0);
    for (uint32_t r = rowBegin; r < rowEnd; ++r) {
      const uint8_t* row = source + size_t{r} * sourceRow;
      for (uint32_t x = 0; x < width; ++x) {
        uint64_t* sum = &sums[size_t{x} * channels];
        for (uint32_t s = columnStart[x]; s < columnStart[x + 1]; ++s)
          for (uint32_t c = 0; c < channels; ++c) {
            const uint8_t value = row[size_t{s} * channels + c];
            sum[c] += levels ? (*levels)[value] : value;
          }
      }
    }
    uint8_t* target = out + size_t{y} * outRow;
    for (uint32_t x = 0; x < width; ++x) {
      const uint64_t count = uint64_t{columnStart[x + 1] - columnStart[x]} * (rowEnd - rowBegin);
      for (uint32_t c = 0; c < channels; ++c)
        target[size_t{x} * channels + c] = static_cast<uint8_t>((sums[size_t{x} * channels + c] + count / 2) / count);
    }
  }
}

}  // namespace

std::optional<Bytes> ThumbnailDib(const Bytes& dib, uint32_t longestEdge) {
  if (longestEdge == 0 || !IsWellFormedDib(dib)) return std::nullopt;
  const BitmapInfoHeader header = *LoadInfoHeader(dib);
  const auto levels = GreyLevels(dib, header);
  // Anything but a grey 8-bit picture is read as 24-bit colour.
  Block colour;
  if (!levels) {
    colour = ConvertDib(dib, kCompressionRgb, 24);
    if (!colour) return std::nullopt;
  }
  const Bytes& source = levels ? dib : *colour;
  const BitmapInfoHeader sourceHeader = *LoadInfoHeader(source);
  if (sourceHeader.biHeight <= 0 || sourceHeader.biWidth <= 0) return std::nullopt;
  const auto sourceWidth = static_cast<uint32_t>(sourceHeader.biWidth);
  const auto sourceHeight = static_cast<uint32_t>(sourceHeader.biHeight);
  const uint32_t longer = std::max(sourceWidth, sourceHeight);
  const uint32_t edge = std::min(longestEdge, longer);
  const auto scaled = [&](uint32_t side) {
    return std::max<uint32_t>(1, static_cast<uint32_t>((uint64_t{side} * edge + longer / 2) / longer));
  };
  const uint32_t width = scaled(sourceWidth), height = scaled(sourceHeight);
  const uint16_t bits = levels ? 8 : 24;
  Block thumbnail = NewPackedDib(static_cast<int32_t>(width), static_cast<int32_t>(height), bits);
  if (!thumbnail) return std::nullopt;
  if (levels) FillGreyColourTable(*thumbnail);
  const BitmapInfoHeader out = *LoadInfoHeader(*thumbnail);
  // Rows are taken as stored, bottom-up, and the thumbnail is stored the same way.
  AverageBlocks(source.data() + PixelOffset(sourceHeader), sourceWidth, sourceHeight,
                RowLength(sourceHeader.biBitCount, sourceWidth), thumbnail->data() + PixelOffset(out),
                width, height, RowLength(bits, width), bits / 8, levels ? &*levels : nullptr);
  return std::move(*thumbnail);
}

}  // namespace kestrel
