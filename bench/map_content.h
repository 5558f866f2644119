#pragma once
// What the map benchmarks draw: a KO-23-sized footprint over Fiji, with twenty minutes of a
// northbound pass across the date line.

#include "geo/world_map.h"

namespace kestrel::bench {

inline MapContent PacificPass() {
  MapContent content;
  for (int i = 0; i <= 120; ++i) {
    const double longitude = 170 + 0.1 * i;
    content.track.push_back({-40 + 0.6 * i, longitude > 180 ? longitude - 360 : longitude});
  }
  content.subSatellitePoint = content.track[60];
  Footprint footprint;
  footprint.corners = {GeoPoint{-0.5, 171}, GeoPoint{-1.5, 189 - 360}, GeoPoint{-19.5, 188 - 360},
                       GeoPoint{-18.5, 170.5}};
  footprint.centre = {-10, 179.5};
  content.footprint = footprint;
  content.placeLabel = "310 km North of Suva, FJ";
  return content;
}

}  // namespace kestrel::bench
