#pragma once
// The ground a picture covers: each camera's ground size at nadir, laid around the
// sub-satellite point with its top edge toward the direction of flight, its corners found on
// the WGS-84 ellipsoid. Approximate: the satellites pointed at the Earth only to within a few
// degrees, and where each camera looked is not known.

#include <array>
#include <optional>
#include <string_view>

namespace kestrel {

struct GeoPoint {
  double latitude = 0, longitude = 0;  // degrees, longitude east -180 … 180
};

// The ground size of a camera's picture at nadir, and how sure the figure is.
struct CameraGround {
  std::string_view camera;  // "KO-23 wide camera"
  double acrossKm = 0;      // along the picture's rows
  double alongKm = 0;       // along its columns, the direction of flight
  bool estimate = false;    // worked out here rather than published
};

// What every footprint shown or exported says about itself.
inline constexpr std::string_view kFootprintCaveat =
    "Approximate: the camera's pointing is not known; the satellite was Earth-pointing to "
    "within a few degrees.";

// By satellite and camera, as the file name tells them; none for a name that tells neither.
std::optional<CameraGround> CameraGroundFor(std::string_view fileName);

// The point `distanceKm` from `from` along the geodesic that leaves it at `azimuthDegrees`
// (clockwise from north), on the WGS-84 ellipsoid.
GeoPoint GeodesicDestination(GeoPoint from, double azimuthDegrees, double distanceKm);

struct Footprint {
  // The corners of the picture as shown: top-left, top-right, bottom-right, bottom-left.
  std::array<GeoPoint, 4> corners;
  GeoPoint centre;
  CameraGround ground;
};

// The camera's ground rectangle centred on `centre`, the top of the picture toward
// `headingDegrees`; each quarter turn of the picture clockwise turns the corners with it, so
// that the picture as shown stays where it belongs.
Footprint FootprintOf(GeoPoint centre, double headingDegrees, const CameraGround& ground,
                      int quarterTurnsClockwise);

}  // namespace kestrel
