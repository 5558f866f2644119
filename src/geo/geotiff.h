#pragma once
// GeoTIFF files of located pictures: the picture in WGS-84 longitude and latitude, laid on its
// footprint by one affine map, so that GIS programs show it where it was taken.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "base/block.h"
#include "geo/footprint.h"

namespace kestrel {

// Degrees as affine functions of a position in the picture, in pixels from the outer corner of
// its top-left pixel: longitude = longitude[0] + longitude[1] x column + longitude[2] x row,
// and latitude alike.
struct PictureToGround {
  std::array<double, 3> longitude{}, latitude{};
};

// The affine map that takes the picture's corners nearest, by least squares, to the
// footprint's. A footprint across the antimeridian is unwrapped first: its longitudes lie
// within 180 degrees of the top-left corner's, and the picture's centre between -180 and 180,
// so an edge may pass ±180. `width` and `height` are in pixels, both above zero.
PictureToGround FitPictureToGround(const Footprint& footprint, uint32_t width, uint32_t height);

// Writes a well-formed packed DIB as a GeoTIFF placed on `footprint` (EPSG:4326, pixel is
// area), whose description carries kFootprintCaveat. Pictures whose colour table holds only
// greys stay one 8-bit band; 24-bit and other palette pictures become RGB. The file is written
// beside `out` and renamed over it, so a failure leaves an existing file as it was. None on
// success, else why not in plain words, naming `out`.
std::optional<std::string> WriteGeoTiff(const Bytes& packedDib, const Footprint& footprint,
                                        const std::filesystem::path& out);

}  // namespace kestrel
