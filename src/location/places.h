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
