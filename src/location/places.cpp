#include "location/places.h"

#include <cmath>
#include <utility>

#include "location/record_fields.h"

namespace kestrel {
namespace {

constexpr double kDegreesToRadians = 0.017453292522222223;
constexpr double kEarthRadiusKm = 6371.290681022837;
constexpr double kRadiansToDegrees = 57.29577950560105;
// Below this the distance shows as 0 km and a direction means nothing.
constexpr double kNoDirectionWithinKm = 0.5;

double ClampUnit(double value) { return std::fmax(-1.0, std::fmin(1.0, value)); }

struct PlaceTerms {
  double sinLatitude, cosLatitude;
  double cosAngle;  // of the great-circle angle to the picture
};

PlaceTerms TermsOf(const PicturePoint& picture, double latitude, double longitude) {
  const double phi = latitude * kDegreesToRadians;
  const double lambda = longitude * kDegreesToRadians;
  const double sinPhi = std::sin(phi);
  const double cosPhi = std::cos(phi);
  return {sinPhi, cosPhi,
          ClampUnit(std::cos(lambda - picture.longitude) * picture.cosLatitude * cosPhi +
                    picture.sinLatitude * sinPhi)};
}

}  // namespace

PicturePoint::PicturePoint(double latitudeDegrees, double longitudeDegrees)
    : latitude(latitudeDegrees * kDegreesToRadians),
      longitude(longitudeDegrees * kDegreesToRadians),
      sinLatitude(std::sin(latitude)),
      cosLatitude(std::cos(latitude)) {}

double AngleToPicture(const PicturePoint& picture, double latitude, double longitude) {
  return std::acos(TermsOf(picture, latitude, longitude).cosAngle);
}

NearestPlaceResult DescribeNearestPlace(std::string name, const PicturePoint& picture,
                                        double latitude, double longitude, double angle) {
  const PlaceTerms place = TermsOf(picture, latitude, longitude);
  NearestPlaceResult result{std::move(name), angle * kEarthRadiusKm, std::nullopt,
                            std::sin(picture.longitude - longitude * kDegreesToRadians) > 0};
  // Azimuth at the place toward the picture; undefined on top of the place or on a pole.
  const double ratio = (picture.sinLatitude - place.sinLatitude * place.cosAngle) /
                       (std::sin(angle) * place.cosLatitude);
  if (result.distanceKm >= kNoDirectionWithinKm && std::isfinite(ratio))
    result.bearingDegrees = std::acos(ClampUnit(ratio)) * kRadiansToDegrees;
  return result;
}

std::array<double, 3> DirectionOf(double latitude, double longitude) {
  const double phi = latitude * kDegreesToRadians;
  const double lambda = longitude * kDegreesToRadians;
  return {std::cos(phi) * std::cos(lambda), std::cos(phi) * std::sin(lambda), std::sin(phi)};
}

std::optional<NearestPlaceResult> NearestPlace(std::span<const uint8_t> placesFile,
                                               double latitude, double longitude) {
  const PicturePoint picture(latitude, longitude);
  const uint8_t* best = nullptr;
  double bestAngle = 0;
  for (size_t offset = 0; offset + kPlaceRecordSize <= placesFile.size();
       offset += kPlaceRecordSize) {
    const uint8_t* record = placesFile.data() + offset;
    const double placeLatitude = LoadF64(record + place_field::kLatitude);
    const double placeLongitude = LoadF64(record + place_field::kLongitude);
    if (!std::isfinite(placeLatitude) || !std::isfinite(placeLongitude)) continue;
    const double angle = AngleToPicture(picture, placeLatitude, placeLongitude);
    if (best && !(angle < bestAngle)) continue;
    best = record;
    bestAngle = angle;
  }
  if (!best) return std::nullopt;
  return DescribeNearestPlace(
      std::string(LeadingText({best + place_field::kName, place_field::kNameWidth})), picture,
      LoadF64(best + place_field::kLatitude), LoadF64(best + place_field::kLongitude), bestAngle);
}

std::string_view CompassWord(double bearingDegrees, bool pictureLiesEast) {
  // Due north includes a bearing of exactly 0.
  std::string_view word = "North";
  if (bearingDegrees > 22.5) word = pictureLiesEast ? "NorthEast" : "NorthWest";
  if (bearingDegrees > 67.5) word = pictureLiesEast ? "East" : "West";
  if (bearingDegrees > 112.5) word = pictureLiesEast ? "SouthEast" : "SouthWest";
  if (bearingDegrees > 157.5) word = "South";
  return word;
}

std::array<uint8_t, kPlaceRecordSize> EncodePlace(std::string_view name, double latitude,
                                                  double longitude) {
  std::array<uint8_t, kPlaceRecordSize> record{};
  StoreLeadingText(record.data() + place_field::kName, place_field::kNameWidth, name);
  StoreF64(record.data() + place_field::kLatitude, latitude);
  StoreF64(record.data() + place_field::kLongitude, longitude);
  return record;
}

}  // namespace kestrel
