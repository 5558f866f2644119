#pragma once
// Where a picture was taken: the satellite from the file name, its element set (a WiSP.Kep
// record or two-line element text), its position at the capture time and the nearest place.
// Shared by the information report, kestrel-cli and the map.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "location/places.h"
#include "location/two_line_elements.h"

namespace kestrel {

struct Session;

// Where the element sets and places come from. An empty element-set file: none; an empty
// places file: the built-in list.
struct LocationFiles {
  std::filesystem::path elementSetFile;
  std::filesystem::path placesFile;
};

// The files the settings name. When they name no element sets, a WiSP.Kep in the session's
// folder; when no settings were ever entered, a WiSP.Obs there too.
LocationFiles LocationFilesFromSettings(Session& session);

enum class ElementSource { Wisp, TwoLine };

struct TrackPoint {
  double secondsFromCapture = 0;
  double latitude = 0, longitude = 0;  // degrees, longitude east -180 … 180
};

inline constexpr double kTrackSpanSeconds = 600;
inline constexpr double kTrackStepSeconds = 10;

struct PictureLocation {
  std::string designation;        // "UO-22", as the report's title names it
  uint32_t catalogueNumber = 0;
  uint32_t captureTime = 0;       // seconds since 1970, UTC
  ElementSource source = ElementSource::Wisp;
  double epochJulianDate = 0;     // of the element set used
  int epochAgeDays = 0;           // epoch day minus capture day, as the report's warnings take it
  double latitude = 0;            // degrees: geocentric from WiSP.Kep, geodetic from SGP4
  double longitude = 0;           // degrees east, -180 … 180
  double heightKm = 0;            // above the WGS-84 ellipsoid
  double headingDegrees = 0;      // of the ground track, clockwise from north
  NearestPlaceResult nearestPlace;
  std::vector<SkippedSet> skippedSets;  // faulty sets passed over in two-line text
  // The sub-satellite point every kTrackStepSeconds from kTrackSpanSeconds before the capture
  // to as long after it; a moment the element set gives no position for is left out.
  std::vector<TrackPoint> groundTrack;
};

// Days from the element set's epoch to the capture, fractional; positive when the set is
// older than the picture.
double ElementSetAgeDays(const PictureLocation& location);

struct LocationOutcome {
  std::optional<PictureLocation> location;
  std::string problem;  // when there is no location: why, naming the file at fault
};

// Locates the picture `fileName` (its satellite told by the name) at `captureTime`.
LocationOutcome FindPictureLocation(const std::string& fileName, uint32_t captureTime,
                                    const LocationFiles& files);

// The same, the problem shown in an error box.
std::optional<PictureLocation> LocatePicture(Session& session, const std::string& fileName,
                                             uint32_t captureTime, const LocationFiles& files);

// The location as one JSON object: file, satellite, capture time, element set, propagator,
// sub-satellite point, heading and nearest place.
std::string PictureLocationJson(const PictureLocation& location, std::string_view fileName);

// "element set: TLE, epoch 1995-03-26 12:00 UTC, 1 day old; SGP4"
std::string ElementSourceLine(const PictureLocation& location);

}  // namespace kestrel
