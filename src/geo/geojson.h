#pragma once
// A footprint as a GeoJSON Feature (RFC 7946), for GIS programs and web maps.

#include <string>
#include <string_view>

#include "geo/footprint.h"

namespace kestrel {

// One Feature whose geometry is the footprint: a Polygon, its outer ring counter-clockwise and
// closed, or, for a footprint across ±180°, a MultiPolygon of its two parts cut there (one
// around a pole stays a Polygon, cut at ±180° and closed along the pole). Its properties
// are the members of `propertiesJson` (a JSON object, or empty for none) followed by
// "approximate" (kFootprintCaveat), "camera", "groundAcrossKm", "groundAlongKm" and
// "groundSizeEstimated".
std::string FootprintGeoJson(const Footprint& footprint, std::string_view propertiesJson);

}  // namespace kestrel
