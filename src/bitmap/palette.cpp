#include "bitmap/palette.h"

namespace kestrel {

Palette ColourCubePalette() {
  // Built once: every 24-bit picture put on show asks for it.
  static const Palette cube = [] {
    Palette palette;
    palette.reserve(256);
    for (int blue = 0; blue < 256; blue += 64)
      for (int green = 0; green < 256; green += 32)
        for (int red = 0; red < 256; red += 32)
          palette.push_back({static_cast<uint8_t>(red), static_cast<uint8_t>(green),
                             static_cast<uint8_t>(blue), 0});
    return palette;
  }();
  return cube;
}

std::optional<Palette> MakePaletteFromHeader(const BitmapInfoHeader& header,
                                             std::span<const uint8_t> table) {
  if (header.biSize != kInfoHeaderSize) return std::nullopt;
  const uint32_t count = ColourCount(header);
  if (count == 0) {
    if (header.biBitCount == 24) return ColourCubePalette();
    return std::nullopt;
  }
  if (count > 256 || table.size() < size_t{count} * 4) return std::nullopt;
  Palette palette(count);
  for (uint32_t i = 0; i < count; ++i)
    palette[i] = {table[4 * i + 2], table[4 * i + 1], table[4 * i + 0], 0};
  return palette;
}

std::optional<Palette> MakePaletteFromDib(const Bytes& block) {
  auto header = LoadInfoHeader(block);
  if (!header) return std::nullopt;
  return MakePaletteFromHeader(*header, std::span(block).subspan(kInfoHeaderSize));
}

}  // namespace kestrel
