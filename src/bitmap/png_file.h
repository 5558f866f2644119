#pragma once
// PNG files of packed DIBs, written as small as a careful writer makes them, or quickly.

#include <optional>

#include "base/block.h"

namespace kestrel {

// Smallest: each row takes the filter that packs it best, for pictures that are kept. Fastest:
// every row the one cheap filter, for small pictures made again at will (thumbnails).
enum class PngPacking { Smallest, Fastest };

// The PNG file of a well-formed packed DIB. A picture whose colour table holds only greys
// becomes an 8-bit greyscale PNG with adaptive row filters (the satellites' pictures are all
// grey), other palette pictures a palette PNG, 24-bit ones RGB. None when the DIB is malformed
// or cannot be encoded.
std::optional<Bytes> EncodePng(const Bytes& dib, PngPacking packing = PngPacking::Smallest);

}  // namespace kestrel
