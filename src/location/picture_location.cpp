#include "location/picture_location.h"

#include <cmath>
#include <ctime>
#include <functional>
#include <string_view>

#include "base/json.h"
#include "base/text.h"
#include "location/builtin_places.h"
#include "location/earth_frames.h"
#include "location/element_set.h"
#include "location/orbit.h"
#include "location/report.h"
#include "location/sgp4.h"
#include "location/utc_time.h"
#include "platform/files.h"
#include "session/session.h"

namespace kestrel {
namespace fs = std::filesystem;
namespace {

constexpr std::string_view kElementSetFileName = "WiSP.Kep";
constexpr std::string_view kPlacesFileName = "WiSP.Obs";
// Far beyond any real element-set or places file; guards memory against a hostile one.
constexpr uint64_t kMaxLocationFileSize = uint64_t{64} << 20;
constexpr double kMinutesPerDay = 1440;
constexpr double kDegreesToRadians = M_PI / 180;
// Julian date of the day the WiSP propagator's day numbers count from.
constexpr double kDayNumberToJulianDate = 1721409.5;
// The ground track's direction is taken across this span about the capture.
constexpr double kHeadingSpanSeconds = 1;

// What stopped a location, in words: the first problem met.
class Stop {
 public:
  bool Say(std::string text) {
    if (text_.empty()) text_ = std::move(text);
    return false;
  }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

// Where a satellite is above the ground at a moment (seconds since 1970); none where its
// element set gives no position.
using GroundPosition = std::function<std::optional<GeodeticPoint>(double)>;

std::optional<Bytes> ReadLocationFile(Stop& stop, const fs::path& path) {
  FileContents contents = ReadWholeFile(path, kMaxLocationFileSize);
  if (contents.error == FileReadError::TooLarge) {
    stop.Say(FormatText("The file %s is too large", path.c_str()));
    return std::nullopt;
  }
  if (!contents.ok()) {
    stop.Say(FormatText("Cannot open file %s", path.c_str()));
    return std::nullopt;
  }
  return std::move(contents.bytes);
}

// Calendar day of a Julian date, counted the same way for epoch and capture.
int CalendarDay(double julianDate) { return static_cast<int>(std::floor(julianDate + 0.5)); }

double TrackHeading(const GeodeticPoint& from, const GeodeticPoint& to) {
  const double phi1 = from.latitude * kDegreesToRadians, phi2 = to.latitude * kDegreesToRadians;
  const double dLambda = (to.longitude - from.longitude) * kDegreesToRadians;
  const double heading =
      std::atan2(std::sin(dLambda) * std::cos(phi2),
                 std::cos(phi1) * std::sin(phi2) - std::sin(phi1) * std::cos(phi2) * std::cos(dLambda));
  return std::fmod(heading / kDegreesToRadians + 360, 360);
}

// Fills height, heading and ground track from the satellite's positions about the capture.
bool CompleteFromTrack(PictureLocation& location, const GroundPosition& at) {
  const double t = location.captureTime;
  const auto here = at(t), before = at(t - kHeadingSpanSeconds / 2), after = at(t + kHeadingSpanSeconds / 2);
  if (!here || !before || !after) return false;
  location.heightKm = here->heightKm;
  location.headingDegrees = TrackHeading(*before, *after);
  location.groundTrack.clear();
  for (double s = -kTrackSpanSeconds; s <= kTrackSpanSeconds; s += kTrackStepSeconds)
    if (const auto point = at(t + s)) location.groundTrack.push_back({s, point->latitude, point->longitude});
  return true;
}

// The WiSP.Kep record of the satellite through the ground-station program's own propagator,
// whose latitude the report has always shown.
bool LocateByRecord(Stop& stop, std::span<const uint8_t> file, PictureLocation& location) {
  const auto set = FindElementSet(file, location.designation);
  if (!set) {
    stop.Say(FormatText("Cannot find the Element Set for %s", location.designation.c_str()));
    return false;
  }
  const std::tm utc = UtcCalendarFields(location.captureTime);
  const auto located = LocateAtTime(*set, utc.tm_year, utc.tm_mon, utc.tm_mday, utc.tm_hour,
                                    utc.tm_min, utc.tm_sec);
  const auto elements = PrepareElements(*set);
  if (!located || !elements) {
    stop.Say(FormatText("The Element Set for %s is corrupt", location.designation.c_str()));
    return false;
  }
  location.source = ElementSource::Wisp;
  location.epochJulianDate = elements->DE + elements->TE + kDayNumberToJulianDate;
  location.epochAgeDays = located->epochAgeDays;
  location.latitude = located->latitude;
  location.longitude = located->longitude > 180 ? located->longitude - 360 : located->longitude;
  const double captureDay = elements->DE - located->epochAgeDays;
  const double captureSeconds = std::fmod(double(location.captureTime), kSecondsPerDay);
  const GroundPosition at = [&](double t) -> std::optional<GeodeticPoint> {
    const auto p = PropagateTo(*elements, captureDay,
                               (captureSeconds + t - location.captureTime) / kSecondsPerDay);
    if (!p) return std::nullopt;
    return EarthFixedToGeodetic({p->x, p->y, p->z});
  };
  if (!CompleteFromTrack(location, at)) {
    stop.Say(FormatText("The Element Set for %s is corrupt", location.designation.c_str()));
    return false;
  }
  return true;
}

// The two-line set of the satellite nearest the capture, through SGP4.
bool LocateByTwoLineSet(Stop& stop, const fs::path& path, std::string_view text,
                        PictureLocation& location) {
  TwoLineElementText parsed = ParseTwoLineElements(text);
  location.skippedSets = std::move(parsed.skipped);
  const double captureJulianDate = JulianDateFromUnixSeconds(location.captureTime);
  const TwoLineElementSet* set =
      NearestSetInTime(parsed.sets, location.catalogueNumber, captureJulianDate);
  if (!set) {
    if (parsed.sets.empty() && !location.skippedSets.empty()) {
      const SkippedSet& first = location.skippedSets.front();
      stop.Say(FormatText("%s, line %zu: %s", path.c_str(), first.lineNumber, first.reason.c_str()));
    } else {
      stop.Say(FormatText("no element set for %s (%u) in %s", location.designation.c_str(),
                   location.catalogueNumber, path.c_str()));
    }
    return false;
  }
  const auto cannotPropagate = [&](Sgp4Error error) {
    stop.Say(FormatText("%s, line %zu: the set for %s cannot be propagated: %s", path.c_str(),
                 set->lineNumber, location.designation.c_str(),
                 std::string(Sgp4ErrorText(error)).c_str()));
    return false;
  };
  const Sgp4Start start = InitialiseSgp4(*set);
  if (start.error != Sgp4Error::None) return cannotPropagate(start.error);
  Sgp4Error failure = Sgp4Error::None;
  const GroundPosition at = [&](double t) -> std::optional<GeodeticPoint> {
    const double julianDate = JulianDateFromUnixSeconds(t);
    const TemeState state =
        PropagateSgp4(start.model, (julianDate - set->epochJulianDate) * kMinutesPerDay);
    if (state.error != Sgp4Error::None) {
      failure = state.error;
      return std::nullopt;
    }
    return EarthFixedToGeodetic(TemeToEarthFixed(state.positionKm, julianDate));
  };
  const auto here = at(location.captureTime);
  if (!here || !CompleteFromTrack(location, at)) return cannotPropagate(failure);
  location.source = ElementSource::TwoLine;
  location.epochJulianDate = set->epochJulianDate;
  location.epochAgeDays = CalendarDay(set->epochJulianDate) - CalendarDay(captureJulianDate);
  location.latitude = here->latitude;
  location.longitude = here->longitude;
  return true;
}

bool FindNearestPlace(Stop& stop, const fs::path& placesFile, PictureLocation& location) {
  std::optional<NearestPlaceResult> nearest;
  if (placesFile.empty()) {
    nearest = NearestBuiltInPlace(location.latitude, location.longitude);
  } else {
    const auto places = ReadLocationFile(stop, placesFile);
    if (!places) return false;
    nearest = NearestPlace(*places, location.latitude, location.longitude);
    if (!nearest) {
      stop.Say(FormatText("There are no places in %s", placesFile.c_str()));
      return false;
    }
  }
  if (!nearest) return false;
  location.nearestPlace = std::move(*nearest);
  return true;
}

}  // namespace

LocationFiles LocationFilesFromSettings(Session& session) {
  const Settings& settings = session.state.settings;
  const auto besideThePictures = [&session](std::string_view name) {
    return FindFileIgnoringCase(session.currentDirectory, name).value_or(fs::path());
  };
  // Without settings, the ground-station files beside the pictures serve as they always did.
  // Once settings are entered, an empty places field means the built-in places.
  LocationFiles files{settings.elementSetFile, settings.placesFile};
  if (files.elementSetFile.empty()) files.elementSetFile = besideThePictures(kElementSetFileName);
  if (files.placesFile.empty() && settings.initialised.empty())
    files.placesFile = besideThePictures(kPlacesFileName);
  return files;
}

double ElementSetAgeDays(const PictureLocation& location) {
  return JulianDateFromUnixSeconds(location.captureTime) - location.epochJulianDate;
}

LocationOutcome FindPictureLocation(const std::string& fileName, uint32_t captureTime,
                                    const LocationFiles& files) {
  Stop stop;
  const auto designation = SatelliteForFile(fileName);
  if (!designation) {
    stop.Say(FormatText("Cannot tell the satellite from the file name %s", fileName.c_str()));
    return {std::nullopt, stop.text()};
  }
  PictureLocation location;
  location.designation = *designation;
  location.catalogueNumber = CatalogueNumberOf(*designation).value_or(0);
  location.captureTime = captureTime;
  if (files.elementSetFile.empty()) {
    stop.Say(FormatText("There is no element-set file to place %s by: register a two-line element "
                        "file or the WiSP.Kep directory in the settings",
                        fileName.c_str()));
    return {std::nullopt, stop.text()};
  }
  const auto located = [&] {
    // Two-line text is told by its start, and the reader gives up on text whose first
    // megabyte holds no set: the rest of such a file is never read.
    const auto start = ReadFilePrefix(files.elementSetFile, kTwoLineScanLimit);
    if (start && IsTwoLineElementText(*start) && start->size() == kTwoLineScanLimit &&
        ParseTwoLineElements(AsText(*start)).sets.empty())
      return LocateByTwoLineSet(stop, files.elementSetFile, AsText(*start), location);
    const auto elementSets = ReadLocationFile(stop, files.elementSetFile);
    if (!elementSets) return false;
    return IsTwoLineElementText(*elementSets)
               ? LocateByTwoLineSet(stop, files.elementSetFile, AsText(*elementSets), location)
               : LocateByRecord(stop, *elementSets, location);
  }();
  if (!located || !FindNearestPlace(stop, files.placesFile, location))
    return {std::nullopt, stop.text()};
  return {std::move(location), {}};
}

std::optional<PictureLocation> LocatePicture(Session& session, const std::string& fileName,
                                             uint32_t captureTime, const LocationFiles& files) {
  LocationOutcome outcome = FindPictureLocation(fileName, captureTime, files);
  if (!outcome.location) ShowErrorBox(session, "%s", outcome.problem.c_str());
  return std::move(outcome.location);
}

std::string ElementSourceLine(const PictureLocation& location) {
  const std::string epoch = IsoUtcText(location.epochJulianDate);
  // "1995-03-26T12:00:00Z" read as "1995-03-26 12:00 UTC".
  const std::string when = epoch.substr(0, 10) + " " + epoch.substr(11, 5) + " UTC";
  const double age = ElementSetAgeDays(location);
  const long days = std::lround(std::fabs(age));
  const char* unit = days == 1 ? "day" : "days";
  const std::string ageText = age >= 0 ? FormatText("%ld %s old", days, unit)
                                       : FormatText("%ld %s after the picture", days, unit);
  const bool twoLine = location.source == ElementSource::TwoLine;
  return FormatText("element set: %s, epoch %s, %s; %s", twoLine ? "TLE" : "WiSP.Kep",
                    when.c_str(), ageText.c_str(), twoLine ? "SGP4" : "WiSP propagator");
}

std::string PictureLocationJson(const PictureLocation& location, std::string_view fileName) {
  const bool twoLine = location.source == ElementSource::TwoLine;
  JsonObject satellite, elementSet, point, place;
  satellite.Text("designation", location.designation);
  if (location.catalogueNumber != 0) satellite.Integer("catalogueNumber", location.catalogueNumber);
  else satellite.Null("catalogueNumber");
  elementSet.Text("source", twoLine ? "tle" : "wisp")
      .Text("epoch", IsoUtcText(location.epochJulianDate))
      .Number("ageDays", ElementSetAgeDays(location), 3);
  point.Number("latitude", location.latitude, 6)
      .Number("longitude", location.longitude, 6)
      .Number("heightKm", location.heightKm, 3);
  const NearestPlaceResult& nearest = location.nearestPlace;
  place.Text("name", nearest.name).Number("distanceKm", nearest.distanceKm, 1);
  if (nearest.bearingDegrees) {
    place.Number("bearingDegrees", *nearest.bearingDegrees, 1)
        .Text("compass", CompassWord(*nearest.bearingDegrees, nearest.pictureLiesEast));
  } else {
    place.Null("bearingDegrees").Null("compass");
  }
  return JsonObject()
      .Text("file", fileName)
      .Raw("satellite", satellite.Json())
      .Text("captureTime", IsoUtcText(JulianDateFromUnixSeconds(location.captureTime)))
      .Raw("elementSet", elementSet.Json())
      .Text("propagator", twoLine ? "sgp4" : "wisp")
      .Raw("subSatellitePoint", point.Json())
      .Number("headingDegrees", location.headingDegrees, 2)
      .Raw("nearestPlace", place.Json())
      .Json();
}

}  // namespace kestrel
