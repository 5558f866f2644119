#pragma once
// Logical palettes made from a packed DIB's colour table, or the colour cube for 24 bits.

#include <cstdint>
#include <optional>
#include <vector>

#include "bitmap/dib.h"

namespace kestrel {

struct PaletteEntry {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  uint8_t flags = 0;
  friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

using Palette = std::vector<PaletteEntry>;

// The colours of the colour table behind a 40-byte header; the 8 x 8 x 4 cube for a 24-bit
// picture without one; none otherwise. `table` is the bytes that follow the header.
std::optional<Palette> MakePaletteFromHeader(const BitmapInfoHeader& header,
                                             std::span<const uint8_t> table);
std::optional<Palette> MakePaletteFromDib(const Bytes& block);

// 256 entries: red fastest through 0..224 by 32, then green by 32, then blue by 64.
Palette ColourCubePalette();

}  // namespace kestrel
