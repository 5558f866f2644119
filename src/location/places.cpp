#include "location/places.h"

#include <cmath>

#include "location/record_fields.h"

namespace kestrel {
namespace {

constexpr double kDegreesToRadians = 0.017453292522222223;
constexpr double kEarthRadiusKm = 6371.290681022837;
constexpr double kRadiansToDegrees = 57.29577950560105;
// Below this the distance shows as 0 km and a direction means nothing.
constexpr double kNoDirectionWithinKm = 0.5;

double ClampUnit(double value) { return std::fmax(-1.0, std::fmin(1.0, value)); }

}  // namespace

std::optional<NearestPlaceResult> NearestPlace(std::span<const uint8_t> placesFile,
                                               double latitude, double longitude) {
  const double phiP = latitude * kDegreesToRadians;
  const double lambdaP = longitude * kDegreesToRadians;
  const double sinPhiP = std::sin(phiP);
  const double cosPhiP = std::cos(phiP);

  std::optional<NearestPlaceResult> best;
  double bestD = 0;
  double bestZ = 0;
  for (size_t offset = 0; offset + kPlaceRecordSize <= placesFile.size();
       offset += kPlaceRecordSize) {
    const uint8_t* record = placesFile.data() + offset;
    const double phiQ = LoadF64(record + place_field::kLatitude) * kDegreesToRadians;
    const double lambdaQ = LoadF64(record + place_field::kLongitude) * kDegreesToRadians;
    if (!std::isfinite(phiQ) || !std::isfinite(lambdaQ)) continue;
    const double sinPhiQ = std::sin(phiQ);
    const double cosPhiQ = std::cos(phiQ);
    const double c = ClampUnit(std::cos(lambdaQ - lambdaP) * cosPhiP * cosPhiQ + sinPhiP * sinPhiQ);
    const double d = std::acos(c);
    if (best && !(d < bestD)) continue;
    // Azimuth at the place toward the picture; undefined on top of the place or on a pole.
    const double ratio = (sinPhiP - sinPhiQ * c) / (std::sin(d) * cosPhiQ);
    const double z = std::isfinite(ratio) ? std::acos(ClampUnit(ratio)) : NAN;
    best = NearestPlaceResult{
        std::string(LeadingText({record + place_field::kName, place_field::kNameWidth})), 0,
        std::nullopt, std::sin(lambdaP - lambdaQ) > 0};
    bestD = d;
    bestZ = z;
  }
  if (!best) return std::nullopt;
  best->distanceKm = bestD * kEarthRadiusKm;
  if (best->distanceKm >= kNoDirectionWithinKm && std::isfinite(bestZ))
    best->bearingDegrees = bestZ * kRadiansToDegrees;
  return best;
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
