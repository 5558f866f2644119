// Placing a picture by two-line sets: the set nearest the capture, SGP4, the built-in places,
// every failure named by file and line; the report that says which source it used; the times
// and JSON it is written out in.

#include "location/picture_location.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "location/builtin_places.h"
#include "location/earth_frames.h"
#include "location/image_information.h"
#include "location/report.h"
#include "location/sgp4.h"
#include "location/utc_time.h"
#include "support/test_support.h"
#include "where_fixture.h"

namespace kestrel {
namespace {
namespace fs = std::filesystem;
using namespace kestrel::testing;
using namespace location_testing;

struct TwoLinePlacing : ::testing::Test, SessionFixture {
  fs::path tle = dir / "history.tle";
  TwoLinePlacing() { WriteBytes(tle, TwoLineText()); }
  std::optional<PictureLocation> Locate(const std::string& name = "KBIW0008",
                                        uint32_t time = kKitsat2CaptureTime) {
    return LocatePicture(session, name, time, {tle, {}});
  }
};

TEST_F(TwoLinePlacing, TakesTheSetNearestTheCaptureAndItsSgp4PositionOverWgs84) {
  const auto location = Locate();
  ASSERT_TRUE(location) << platform.BoxTexts().at(0);
  EXPECT_EQ(std::tuple(location->designation, location->catalogueNumber, location->source,
                       IsoUtcText(location->epochJulianDate), location->epochAgeDays),
            std::tuple("KO-25", 22828u, ElementSource::TwoLine, "1996-08-19T18:43:12Z", 0));
  EXPECT_NEAR(ElementSetAgeDays(*location), -(7.0 + 37 / 60.0 + 30 / 3600.0) / 24, 1e-6);

  // The third KO-25 set of the text (line 6), propagated by hand through the same kernels.
  const auto sets = ParseTwoLineElements(kTwoLineSets).sets;
  ASSERT_EQ(sets.size(), 4u);
  const double captureDate = JulianDateFromUnixSeconds(kKitsat2CaptureTime);
  const TemeState state = PropagateSgp4(InitialiseSgp4(sets[2]).model,
                                        (captureDate - sets[2].epochJulianDate) * 1440);
  const GeodeticPoint point = EarthFixedToGeodetic(TemeToEarthFixed(state.positionKm, captureDate));
  EXPECT_EQ(std::tuple(location->latitude, location->longitude, location->heightKm),
            std::tuple(point.latitude, point.longitude, point.heightKm));
  // A sun-synchronous orbit crosses the middle latitudes a little west of due south by day.
  EXPECT_GT(location->headingDegrees, 185);
  EXPECT_LT(location->headingDegrees, 200);
  const auto nearest = NearestBuiltInPlace(point.latitude, point.longitude);
  EXPECT_EQ(location->nearestPlace.name, nearest->name);
  EXPECT_EQ(ElementSourceLine(*location), "element set: TLE, epoch 1996-08-19 18:43 UTC, 0 days after the picture; SGP4");
}

TEST_F(TwoLinePlacing, EachFailureSaysWhichFileAndWhichLine) {
  const std::string path = tle.string();
  std::string badChecksum = kTwoLineSets;
  badChecksum[badChecksum.find("9328")] = '8';  // the check digit of KO-25's nearest set
  // KO-25's nearest set alone, slowed to a period of twelve hours.
  std::string deepSpace = kTwoLineSets.substr(kTwoLineSets.find("1 22828U 93061F   96232"), 140);
  deepSpace.replace(deepSpace.find("14.28030054"), 11, " 2.00567000");
  deepSpace[138] = static_cast<char>('0' + TwoLineChecksum(deepSpace.substr(70, 68)));
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"P1D00011", kTwoLineSets, "no element set for POSAT (22829) in " + path},
      {"KBIW0008", kTwoLineSets.substr(0, 79), path + ", line 2: truncated set"},
      {"KBIW0008", deepSpace,
       path + ", line 1: the set for KO-25 cannot be propagated: " + std::string(Sgp4ErrorText(Sgp4Error::DeepSpace))},
      {"PICTURE1", kTwoLineSets, "Cannot tell the satellite from the file name PICTURE1"}};
  for (const auto& [name, text, message] : cases) {
    WriteBytes(tle, TwoLineText(text));
    platform.boxes.clear();
    EXPECT_FALSE(Locate(name));
    EXPECT_EQ(platform.BoxTexts(), std::vector{message}) << name;
  }
  // A faulty set among good ones is passed over and named; the next nearest serves.
  WriteBytes(tle, TwoLineText(badChecksum));
  platform.boxes.clear();
  const auto location = Locate();
  ASSERT_TRUE(location && platform.boxes.empty());
  EXPECT_EQ(IsoUtcText(location->epochJulianDate), "1996-08-18T01:55:12Z");
  EXPECT_EQ(location->skippedSets.size(), 1u);
  EXPECT_EQ(location->skippedSets.at(0).lineNumber, 6u);

  platform.boxes.clear();
  EXPECT_FALSE(LocatePicture(session, "KBIW0008", kKitsat2CaptureTime, {}));
  EXPECT_EQ(platform.BoxTexts(), std::vector<std::string>{
      "There is no element-set file to place KBIW0008 by: register a two-line element file or "
      "the WiSP.Kep directory in the settings"});
}

TEST_F(TwoLinePlacing, TheReportNamesItsSourceButStoresOnlyWhatItAlwaysStored) {
  WriteBytes(dir / "KBIW0008", CameraFile(kKitsat2CaptureTime));
  std::copy_n(CameraFile(kKitsat2CaptureTime).begin(), 256, session.state.fileHeaderBuffer.begin());
  const auto outcome = ReportImageInformation(session, "KBIW0008", {{tle, {}}, true});
  ASSERT_TRUE(outcome.shownReport);
  const std::string source = "\nelement set: TLE, epoch 1996-08-19 18:43 UTC, 0 days after the picture; SGP4";
  EXPECT_TRUE(outcome.shownReport->ends_with(source)) << *outcome.shownReport;
  FileHeader stamped;
  std::copy_n(ReadBytes(dir / "KBIW0008").begin(), 256, stamped.begin());
  EXPECT_EQ(StoredImageReport(stamped) + source, *outcome.shownReport);
}

TEST(UtcTime, ReadsIsoTimesAndWritesThemBackToTheSecond) {
  const std::pair<std::string_view, std::optional<std::string_view>> cases[] = {
      {"1996-08-19T11:05:42Z", "1996-08-19T11:05:42Z"}, {"1996-08-19 11:05", "1996-08-19T11:05:00Z"},
      {"2000-02-29T23:59:59.6", "2000-03-01T00:00:00Z"}, {"1957-10-04", "1957-10-04T00:00:00Z"},
      {"1999-02-29", std::nullopt}, {"1996-13-01", std::nullopt}, {"1996-08-19T24:00", std::nullopt},
      {"1996-08-19T11:05:60", std::nullopt}, {"1996-8-19", std::nullopt}, {"1996-08-19T11", std::nullopt},
      {"yesterday", std::nullopt}, {"", std::nullopt}};
  for (const auto& [text, written] : cases) {
    const auto julianDate = ParseIsoUtc(text);
    EXPECT_EQ(julianDate ? std::optional(IsoUtcText(*julianDate)) : std::nullopt, written) << text;
  }
  // J2000.0 is Julian date 2451545.0, noon of 1 January 2000.
  EXPECT_EQ(ParseIsoUtc("2000-01-01T12:00:00Z"), 2451545.0);
}

TEST(LocationJson, NamesEveryFieldAndWritesNullWhereThereIsNoDirection) {
  PictureLocation location{"KO-25", 22828, kKitsat2CaptureTime, ElementSource::TwoLine,
                           *ParseIsoUtc("1996-08-19T18:43:12Z"), 0, 40.2311104, -0.5947514, 800.2781, 194.174,
                           {"Sagunto, ES", 12.34, std::nullopt, true}, {}, {}};
  EXPECT_EQ(PictureLocationJson(location, "KBIW\"8"),
            R"({"file":"KBIW\"8","satellite":{"designation":"KO-25","catalogueNumber":22828},)"
            R"("captureTime":"1996-08-19T11:05:42Z","elementSet":{"source":"tle",)"
            R"("epoch":"1996-08-19T18:43:12Z","ageDays":-0.318},"propagator":"sgp4",)"
            R"("subSatellitePoint":{"latitude":40.231110,"longitude":-0.594751,"heightKm":800.278},)"
            R"("headingDegrees":194.17,"nearestPlace":{"name":"Sagunto, ES","distanceKm":12.3,)"
            R"("bearingDegrees":null,"compass":null}})");
}

}  // namespace
}  // namespace kestrel
