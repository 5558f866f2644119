#include "geo/antimeridian.h"

#include <algorithm>
#include <cmath>

namespace kestrel {
namespace {

// The step from one longitude to the next the short way round: -180 … 180.
double LongitudeStep(double from, double to) { return std::remainder(to - from, 360.0); }

double LatitudeAt(const LonLat& p, const LonLat& q, double lon) {
  return p.lat + (lon - p.lon) * (q.lat - p.lat) / (q.lon - p.lon);
}

// The part of a ring west (or east) of the meridian `edge`, by Sutherland and Hodgman's
// clipping.
LonLatRing ClippedAt(const LonLatRing& ring, double edge, bool keepWest) {
  const auto inside = [&](const LonLat& p) { return keepWest ? p.lon <= edge : p.lon >= edge; };
  LonLatRing kept;
  for (size_t i = 0; i < ring.size(); ++i) {
    const LonLat& p = ring[i];
    const LonLat& q = ring[(i + 1) % ring.size()];
    if (inside(p) != inside(q)) kept.push_back({edge, LatitudeAt(p, q, edge)});
    if (inside(q)) kept.push_back(q);
  }
  return kept;
}

// An outline that comes back a whole turn round from where it began holds a pole: cut where
// it passes ±180, it runs from -180 to 180 and is closed along the pole's parallel, in one
// piece.
LonLatRing AroundThePole(const Footprint& footprint, bool eastward) {
  std::vector<GeoPoint> path(footprint.corners.begin(), footprint.corners.end());
  path.push_back(path.front());
  if (!eastward) std::reverse(path.begin(), path.end());
  const auto pieces = LinePiecesWithin180(path);
  // The last piece ends at the first corner, where the first piece starts.
  LonLatRing ring = pieces.back();
  for (size_t i = 0; i + 1 < pieces.size(); ++i)
    ring.insert(ring.end(), pieces[i].begin() + (i == 0 ? 1 : 0), pieces[i].end());
  const double pole = footprint.centre.latitude >= 0 ? 90 : -90;
  ring.push_back({ring.back().lon, pole});
  ring.push_back({ring.front().lon, pole});
  return ring;
}

}  // namespace

std::vector<LonLatRing> FootprintPartsWithin180(const Footprint& footprint) {
  // Longitudes made continuous around the outline, the first corner's kept.
  LonLatRing ring;
  for (const GeoPoint& corner : footprint.corners) {
    const double lon = ring.empty()
                           ? corner.longitude
                           : ring.back().lon + LongitudeStep(ring.back().lon, corner.longitude);
    ring.push_back({lon, corner.latitude});
  }
  const LonLat first = ring.front();
  const double turn = ring.back().lon + LongitudeStep(ring.back().lon, first.lon) - first.lon;
  if (std::fabs(turn) > 180) return {AroundThePole(footprint, turn > 0)};
  const auto [west, east] = std::minmax_element(
      ring.begin(), ring.end(), [](const LonLat& a, const LonLat& b) { return a.lon < b.lon; });
  // Whole turns that bring the western end into -180 … 180.
  const double shift = -360 * std::floor((west->lon + 180) / 360);
  const bool crosses = east->lon + shift > 180;
  for (LonLat& point : ring) point.lon += shift;
  if (!crosses) return {ring};
  LonLatRing beyond = ClippedAt(ring, 180, false);
  for (LonLat& point : beyond) point.lon -= 360;
  return {ClippedAt(ring, 180, true), beyond};
}

std::vector<std::vector<LonLat>> LinePiecesWithin180(std::span<const GeoPoint> points) {
  std::vector<std::vector<LonLat>> pieces;
  for (const GeoPoint& point : points) {
    const LonLat here{point.longitude, point.latitude};
    if (pieces.empty()) {
      pieces.push_back({here});
      continue;
    }
    const LonLat previous = pieces.back().back();
    const double unwrapped = previous.lon + LongitudeStep(previous.lon, here.lon);
    if (unwrapped > 180 || unwrapped < -180) {
      const double edge = unwrapped > 180 ? 180 : -180;
      const double lat = LatitudeAt(previous, {unwrapped, here.lat}, edge);
      pieces.back().push_back({edge, lat});
      pieces.push_back({{-edge, lat}});
    }
    pieces.back().push_back(here);
  }
  return pieces;
}

}  // namespace kestrel
