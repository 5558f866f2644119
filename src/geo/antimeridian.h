#pragma once
// Shapes cut at ±180° of longitude, for formats that draw straight between coordinates and
// would otherwise join the two sides of the antimeridian across the whole map.

#include <span>
#include <vector>

#include "geo/footprint.h"

namespace kestrel {

struct LonLat {
  double lon = 0, lat = 0;  // degrees
};

// A closed outline; its last point joins its first.
using LonLatRing = std::vector<LonLat>;

// The footprint's corners as outlines within -180..180: one, or the two parts of a footprint
// across ±180 with the crossing's latitude interpolated along the edge in degrees. A footprint
// around a pole gives one outline from -180 to 180, closed along the pole.
std::vector<LonLatRing> FootprintPartsWithin180(const Footprint& footprint);

// A line of points (a ground track) in pieces that cross no ±180: each crossing ends a piece
// on one side of the antimeridian and starts the next on the other, at the same latitude.
std::vector<std::vector<LonLat>> LinePiecesWithin180(std::span<const GeoPoint> points);

}  // namespace kestrel
