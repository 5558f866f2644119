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

// Adds one source row to the sums of the thumbnail's columns: grey levels through the table
// (one channel), or the bytes of 24-bit pixels as they are (three).
template <uint32_t kChannels>
void AddRow(const uint8_t* row, const std::vector<uint32_t>& columnStart, uint64_t* sums,
            const std::array<uint8_t, 256>* levels) {
  for (size_t x = 0; x + 1 < columnStart.size(); ++x, sums += kChannels) {
    const uint8_t* end = row + size_t{columnStart[x + 1]} * kChannels;
    uint64_t sum[kChannels] = {};
    for (const uint8_t* pixel = row + size_t{columnStart[x]} * kChannels; pixel != end; pixel += kChannels) {
      if constexpr (kChannels == 1) sum[0] += (*levels)[*pixel];
      else for (uint32_t c = 0; c < kChannels; ++c) sum[c] += pixel[c];
    }
    for (uint32_t c = 0; c < kChannels; ++c) sums[c] += sum[c];
  }
}

// Sums the pixels of the bottom-up rows of `source` into blocks of a `width` x `height`
// picture, then writes the means into `out`, also bottom-up.
template <uint32_t kChannels>
void AverageBlocks(const uint8_t* source, uint32_t sourceWidth, uint32_t sourceHeight,
                   uint32_t sourceRow, uint8_t* out, uint32_t width, uint32_t height, uint32_t outRow,
                   const std::array<uint8_t, 256>* levels) {
  std::vector<uint32_t> columnStart(width + 1);
  for (uint32_t x = 0; x <= width; ++x) columnStart[x] = static_cast<uint32_t>(uint64_t{x} * sourceWidth / width);
  std::vector<uint64_t> sums(size_t{width} * kChannels);
  for (uint32_t y = 0; y < height; ++y) {
    const uint32_t rowBegin = static_cast<uint32_t>(uint64_t{y} * sourceHeight / height);
    const uint32_t rowEnd = static_cast<uint32_t>(uint64_t{y + 1} * sourceHeight / height);
    std::fill(sums.begin(), sums.end(), 0);
    for (uint32_t r = rowBegin; r < rowEnd; ++r)
      AddRow<kChannels>(source + size_t{r} * sourceRow, columnStart, sums.data(), levels);
    uint8_t* target = out + size_t{y} * outRow;
    for (uint32_t x = 0; x < width; ++x) {
      const uint64_t count = uint64_t{columnStart[x + 1] - columnStart[x]} * (rowEnd - rowBegin);
      for (uint32_t c = 0; c < kChannels; ++c)
        target[size_t{x} * kChannels + c] = static_cast<uint8_t>((sums[size_t{x} * kChannels + c] + count / 2) / count);
    }
  }
}

}  // namespace

std::optional<Bytes> ThumbnailDib(const Bytes& dib, uint32_t longestEdge) {
  if (longestEdge == 0 || !IsWellFormedDib(dib)) return std::nullopt;
  const BitmapInfoHeader header = *LoadInfoHeader(dib);
  const auto levels = GreyLevels(dib, header);
  // Anything but a grey 8-bit picture is read as 24-bit colour; plain 24-bit rows as they are.
  const bool plainColour = header.biBitCount == 24 && header.biCompression == kCompressionRgb &&
                           ColourCount(header) == 0;
  Block colour;
  if (!levels && !plainColour) {
    colour = ConvertDib(dib, kCompressionRgb, 24);
    if (!colour) return std::nullopt;
  }
  const Bytes& source = colour ? *colour : dib;
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
  const auto average = levels ? AverageBlocks<1> : AverageBlocks<3>;
  average(source.data() + PixelOffset(sourceHeader), sourceWidth, sourceHeight,
          RowLength(sourceHeader.biBitCount, sourceWidth), thumbnail->data() + PixelOffset(out), width,
          height, RowLength(bits, width), levels ? &*levels : nullptr);
  return std::move(*thumbnail);
}

}  // namespace kestrel
