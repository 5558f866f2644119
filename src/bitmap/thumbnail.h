#pragma once
// Small copies of pictures, as file managers and galleries show them.

#include <cstdint>
#include <optional>

#include "base/block.h"

namespace kestrel {

// The picture scaled so that its longer side is `longestEdge` pixels, its shape kept and never
// enlarged; each pixel the mean of the block of pixels it stands for. A picture whose colours
// are all greys stays 8-bit grey (an identity grey table); any other becomes 24-bit. None for a
// malformed DIB or a longest edge of 0.
std::optional<Bytes> ThumbnailDib(const Bytes& dib, uint32_t longestEdge);

}  // namespace kestrel
