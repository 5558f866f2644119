#pragma once
// The places file of the ground-station software: fixed 50-byte records of named places,
// and the search for the place nearest to a sub-satellite point.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kestrel {

inline constexpr size_t kPlaceRecordSize = 50;

namespace place_field {
inline constexpr size_t kName = 0;
inline constexpr size_t kNameWidth = 26;
inline constexpr size_t kLatitude = 26;   // degrees, north positive
inline constexpr size_t kLongitude = 34;  // degrees, east positive
}  // namespace place_field

struct NearestPlaceResult {
  std::string name;
  double distanceKm = 0;
  // Degrees from north, 0 … 180, at the place toward the picture; none where no direction
  // means anything (the picture within half a kilometre of the place, or a place on a pole).
  std::optional<double> bearingDegrees;
  // Whether the picture lies east of the place (otherwise west, or due north or south).
  bool pictureLiesEast = false;
};

// Both searches, over a places file and over the built-in list, measure every place through
// the three functions below, so that they agree to the last bit.

// The picture's point in radians, with the sine and cosine that every place's distance reuses.
struct PicturePoint {
  PicturePoint(double latitudeDegrees, double longitudeDegrees);
  double latitude, longitude;
  double sinLatitude, cosLatitude;
};

// The great-circle angle in radians between the picture and a place (degrees).
double AngleToPicture(const PicturePoint& picture, double latitude, double longitude);

// The search's answer for the place (degrees) found nearest, `angle` from the picture.
NearestPlaceResult DescribeNearestPlace(std::string name, const PicturePoint& picture,
                                        double latitude, double longitude, double angle);

// The point's direction from the Earth's centre, with degrees turned into radians as the
// distances turn them: x toward 0° east on the equator, y toward 90° east, z toward the north
// pole. Straight-line distances between directions rank places as their angles do.
std::array<double, 3> DirectionOf(double latitude, double longitude);

// The place of `placesFile` nearest to the point (degrees, longitude east in -180 … 180).
// Ties keep the earlier place; a trailing partial record and places whose coordinates are
// not numbers are passed over. None when the file holds no place.
std::optional<NearestPlaceResult> NearestPlace(std::span<const uint8_t> placesFile,
                                               double latitude, double longitude);

// "North", "NorthEast", "East", "SouthEast", "South" or the western words, for the bearing
// from the place toward the picture.
std::string_view CompassWord(double bearingDegrees, bool pictureLiesEast);

std::array<uint8_t, kPlaceRecordSize> EncodePlace(std::string_view name, double latitude,
                                                  double longitude);

}  // namespace kestrel
