#include "geo/placed_picture.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "base/text.h"
#include "location/earth_frames.h"
#include "location/utc_time.h"
#include "session/session.h"

namespace kestrel {
namespace {

// "NorthEast" as "NE".
std::string CompassLetters(std::string_view word) {
  std::string letters;
  for (const char c : word)
    if (std::isupper(static_cast<unsigned char>(c))) letters += c;
  return letters;
}

// 1,950 km as "about 2,000 km": two significant figures, thousands separated.
std::string RoundedKilometres(double km) {
  const double unit = km >= 1000 ? 100 : km >= 100 ? 10 : 1;
  const long rounded = std::lround(km / unit) * static_cast<long>(unit);
  std::string digits = std::to_string(rounded);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
    digits.insert(static_cast<size_t>(at), 1, ',');
  return digits + " km";
}

std::string Coordinate(double value, char positive, char negative) {
  return FormatText("%.1f\u00b0 %c", std::fabs(value), value < 0 ? negative : positive);
}

}  // namespace

std::optional<PlacedPicture> PlaceLocatedPicture(PictureLocation location, std::string_view fileName,
                                                 int quarterTurnsClockwise) {
  const auto ground = CameraGroundFor(fileName);
  if (!ground) return std::nullopt;
  const Footprint footprint = FootprintOf({location.latitude, location.longitude},
                                          location.headingDegrees, *ground, quarterTurnsClockwise);
  return PlacedPicture{std::move(location), footprint};
}

PlacedPictureOutcome PlacePicture(const std::string& fileName, const FileHeader& header,
                                  int quarterTurnsClockwise, const LocationFiles& files) {
  const uint32_t captureTime = HeaderCaptureTime(header, fileName);
  if (captureTime == 0)
    return {std::nullopt, FormatText("%s holds no capture time, so where it was taken is not known",
                                     fileName.c_str())};
  if (!CameraGroundFor(fileName))
    return {std::nullopt,
            FormatText("The camera of %s is not known, so the ground it covers is not either",
                       fileName.c_str())};
  LocationOutcome outcome = FindPictureLocation(fileName, captureTime, files);
  if (!outcome.location) return {std::nullopt, outcome.problem};
  return {PlaceLocatedPicture(std::move(*outcome.location), fileName, quarterTurnsClockwise), {}};
}

PlacedPictureOutcome PlacePictureOnShow(Session& session) {
  const ImageState& s = session.state;
  if (!s.current.imageDisplayable || s.currentFilePath.empty())
    return {std::nullopt, "No picture is on show"};
  return PlacePicture(s.currentFilePath, s.fileHeaderBuffer, s.processing.quarterTurnsClockwise,
                      LocationFilesFromSettings(session));
}

std::string NearestPlacePhrase(const NearestPlaceResult& place) {
  if (!place.bearingDegrees) return FormatText("at %s", place.name.c_str());
  const std::string letters = CompassLetters(CompassWord(*place.bearingDegrees, place.pictureLiesEast));
  return FormatText("%.0f km %s of %s", place.distanceKm, letters.c_str(), place.name.c_str());
}

std::string DescribePlacedPicture(const PlacedPicture& placed) {
  const PictureLocation& location = placed.location;
  const std::string time = IsoUtcText(JulianDateFromUnixSeconds(location.captureTime));
  const std::string where = NearestPlacePhrase(location.nearestPlace);
  const double across = std::max(placed.footprint.ground.acrossKm, placed.footprint.ground.alongKm);
  return FormatText("%s, %s %s UTC, centred %s %s, %s; footprint about %s across",
                    std::string(placed.footprint.ground.camera).c_str(), time.substr(0, 10).c_str(),
                    time.substr(11, 5).c_str(), Coordinate(location.latitude, 'N', 'S').c_str(),
                    Coordinate(location.longitude, 'E', 'W').c_str(), where.c_str(),
                    RoundedKilometres(across).c_str());
}

}  // namespace kestrel
