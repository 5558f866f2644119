#pragma once
// PNG files of packed DIBs, written as small as a careful writer makes them.

#include <optional>

#include "base/block.h"

namespace kestrel {

// The PNG file of a well-formed packed DIB. A picture whose colour table holds only greys
// becomes an 8-bit greyscale PNG with adaptive row filters (the satellites' pictures are all
// grey), other palette pictures a palette PNG, 24-bit ones RGB. None when the DIB is malformed
// or cannot be encoded.
std::optional<Bytes> EncodePng(const Bytes& dib);

}  // namespace kestrel
