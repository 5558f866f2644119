// The ground-station files: element-set and place records, the searches over them, and the
// orbit that places a picture.

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "location/element_set.h"
#include "location/orbit.h"
#include "location/places.h"
#include "where_fixture.h"

namespace kestrel {
namespace {
using namespace location_testing;

TEST(SatelliteForFile, FollowsTheNameTableLastMatchWinning) {
  const std::pair<std::string_view, std::optional<std::string_view>> cases[] = {
      {"U5IW0123", "UO-22"}, {"IM000123", "UO-22"}, {"KA000001", "KO-23"},
      {"KB1234.IMG", "KO-25"}, {"P1TW0042", "POSAT"}, {"TM1D0042.IMC", "TO-31"},
      {"KAIM0001", "KO-23"},      // "IM" and "KA" both: the later row wins
      {"TM000100.IMI", "TO-31"},  // the extension names "IM" too; the "TM" row comes last
      {"PICTURE.BMP", std::nullopt}, {"", std::nullopt}};
  for (const auto& [name, satellite] : cases) EXPECT_EQ(SatelliteForFile(name), satellite) << name;
}

ElementSet Sample(double meanMotion, int16_t epochYear = 98) {
  return {.epochRevolution = 0x01020304, .epochDay = 250.123456789, .decayRate = -1.5e-7,
          .inclination = 98.5, .raan = 321.25, .eccentricity = 0.00123, .argPerigee = 45.5,
          .meanAnomaly = 314.5, .meanMotion = meanMotion, .epochYear = epochYear};
}

auto Fields(const ElementSet& s) {
  return std::tuple(s.epochRevolution, s.epochDay, s.decayRate, s.inclination, s.raan,
                    s.eccentricity, s.argPerigee, s.meanAnomaly, s.meanMotion, s.epochYear);
}

TEST(Records, HoldTheirFieldsLittleEndianAtTheirOffsets) {
  const auto record = EncodeElementSet("UO-22", Sample(14.37));
  ASSERT_EQ(record.size(), 166u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.data())), "UO-22");
  // The revolution at 19, 98.5 (0x4058A00000000000) at 39, the year at 95.
  EXPECT_EQ(std::tuple(record[19], record[22], record[39 + 7], record[39 + 6], record[39 + 5], record[95], record[96]),
            std::tuple(0x04, 0x01, 0x40, 0x58, 0xA0, 98, 0));
  EXPECT_EQ(Fields(DecodeElementSet(record)), Fields(Sample(14.37)));
  EXPECT_EQ(DecodeElementSet(EncodeElementSet("X", Sample(14.0, -1))).epochYear, -1);

  const auto place = EncodePlace("Guildford", 51.24, -0.59);
  ASSERT_EQ(place.size(), 50u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(place.data())), "Guildford");
  // 51.24 is 0x4049 9EB8 51EB 851F at 26; the longitude at 34 is negative.
  EXPECT_EQ(std::tuple(place[26 + 7], place[26 + 6], place[34 + 7]), std::tuple(0x40, 0x49, 0xBF));
}

TEST(FindElementSet, TakesTheFirstRecordWhoseNameHoldsTheDesignationEvenAPartialOne) {
  Bytes file = ElementSetFile({{"AO-10", Sample(2.05)}, {"UO-2", Sample(14.30)},
                               {"UoSAT5 UO-22", Sample(14.37)}, {"UO-22", Sample(13.0)},
                               {"TO-31", Sample(14.23)}});
  EXPECT_EQ(Fields(FindElementSet(file, "UO-22").value()), Fields(Sample(14.37)));
  EXPECT_FALSE(FindElementSet(file, "KO-25"));
  EXPECT_FALSE(FindElementSet({}, "UO-22"));
  file.resize(4 * 166 + 79);  // cut before the mean motion
  const ElementSet cut = FindElementSet(file, "TO-31").value();
  EXPECT_EQ(std::tuple(cut.inclination, cut.meanAnomaly), std::tuple(98.5, 314.5));
  EXPECT_EQ(std::tuple(cut.meanMotion, cut.epochYear), std::tuple(0.0, 0));  // missing: zero

  // A name without terminator runs on through its record but never into the next one.
  Bytes unterminated(166, 'A');
  Append(unterminated, ElementSetFile({{"UO-22", Sample(14.37)}}));
  EXPECT_EQ(FindElementSet(unterminated, "AUO-22"), std::nullopt);
  EXPECT_TRUE(FindElementSet(unterminated, "UO-22"));
}

TEST(NearestPlace, NamesThePlaceAndTheSideThePictureLiesOnTheFirstOfATieWinning) {
  struct Case {
    std::vector<NamedPlace> places;
    double latitude, longitude;
    std::string_view name, word;
  };
  const Case cases[] = {
      {{{"Guildford", 51.24, -0.59}, {"Seoul", 37.57, 126.98}, {"Lisbon", 38.72, -9.14}},
       52.0, 0.5, "Guildford", "NorthEast"},
      {{{"West", 10, -5}, {"East", 10, 5}, {"Far", -40, 100}}, 10, 0, "West", "East"},
      {{{"Surrey Space Centre", 51.24, -0.59}}, 48.0, 5.0, "Surrey Space Centre", "SouthEast"},
      {{{"Surrey Space Centre", 51.24, -0.59}}, 55.0, -8.0, "Surrey Space Centre", "NorthWest"},
      {{{"Suva", -18.14, 178.44}}, -18.14, -178.0, "Suva", "East"},  // across the date line
  };
  for (const Case& c : cases) {
    const auto nearest = NearestPlace(PlacesFile(c.places), c.latitude, c.longitude);
    ASSERT_TRUE(nearest) << c.name;
    EXPECT_EQ(nearest->name, c.name);
    EXPECT_EQ(CompassWord(nearest->bearingDegrees.value(), nearest->pictureLiesEast), c.word) << c.name;
  }
}

TEST(NearestPlace, MeasuresGreatCirclesPassesOverBrokenRecordsAndReadsFullWidthNames) {
  Bytes places = PlacesFile({{"Broken", NAN, 0}, {"Also broken", 10, INFINITY}, {"Dakar", 14.7, -17.4}});
  const auto partial = EncodePlace("Nearer", 14.0, -17.0);
  places.insert(places.end(), partial.begin(), partial.begin() + 49);
  EXPECT_EQ(NearestPlace(places, 14.0, -17.0).value().name, "Dakar");
  EXPECT_FALSE(NearestPlace({}, 0, 0));
  EXPECT_FALSE(NearestPlace(PlacesFile({{"Broken", NAN, NAN}}), 0, 0));
  // A quarter of a great circle east along the equator; the program's radius makes a degree
  // exactly 111.2 km. Right over a place there is no bearing.
  const auto quarter = NearestPlace(PlacesFile({{"Gulf of Guinea", 0, 0}}), 0, 90).value();
  EXPECT_NEAR(quarter.distanceKm, 90 * 111.2, 1e-6);
  EXPECT_NEAR(quarter.bearingDegrees.value(), 90, 1e-6);
  EXPECT_TRUE(quarter.pictureLiesEast);
  const auto over = NearestPlace(PlacesFile({{"Lisbon", 38.72, -9.14}}), 38.72, -9.14).value();
  EXPECT_LT(over.distanceKm, 0.5);
  EXPECT_FALSE(over.bearingDegrees);

  Bytes fullWidth(50, 0);
  for (size_t i = 0; i < 26; ++i) fullWidth[i] = static_cast<uint8_t>('a' + i);
  fullWidth[26] = 0xFF;  // first byte of the latitude, never part of the name
  EXPECT_EQ(NearestPlace(fullWidth, 0, 0).value().name, "abcdefghijklmnopqrstuvwxyz");
}

TEST(CompassWord, ChoosesTheLastWordWhoseThresholdThePointPasses) {
  const std::tuple<double, bool, std::string_view> cases[] = {
      {0, true, "North"},          {22.5, true, "North"},        {22.6, true, "NorthEast"},
      {22.6, false, "NorthWest"},  {67.5, false, "NorthWest"},   {67.6, false, "West"},
      {112.6, true, "SouthEast"},  {112.6, false, "SouthWest"},  {157.6, false, "South"},
      {180, true, "South"}};
  for (const auto& [bearing, east, word] : cases) {
    EXPECT_EQ(CompassWord(bearing, east), word) << bearing << (east ? " east" : " west");
  }
}

TEST(DayNumber, CountsCalendarDaysAndKnowsLeapYears) {
  EXPECT_EQ(DayNumber(1998, 9, 7), 729654);
  EXPECT_EQ(DayNumber(1990, 1, 0), 726482);
  EXPECT_EQ(DayNumber(1999, 1, 0), 729769);
  EXPECT_EQ(DayNumber(2000, 3, 1) - DayNumber(2000, 2, 28), 2);
  EXPECT_EQ(DayNumber(1999, 3, 1) - DayNumber(1999, 2, 28), 1);
  EXPECT_EQ(DayNumber(2000, 1, 0) - DayNumber(1999, 1, 0), 365);
  EXPECT_EQ(DayNumber(2001, 1, 0) - DayNumber(2000, 1, 0), 366);
}

ElementSet SunSynchronousSet(double eccentricity = 0.0008, double meanMotion = 14.37) {
  return {.epochRevolution = 37000, .epochDay = 342.5, .decayRate = 2.0e-7,
          .inclination = 98.4, .raan = 300.0, .eccentricity = eccentricity, .argPerigee = 120.0,
          .meanAnomaly = 240.0, .meanMotion = meanMotion, .epochYear = 98};
}

TEST(PrepareElements, SplitsTheEpochAndReadsTwoDigitYears) {
  const std::tuple<int16_t, double, double, double> cases[] = {  // year, day, DE, TE
      {98, 342.5, 729746, 0.5}, {19, 1.0, 737075, 0}, {0, 1.25, 730135, 0.25},
      {20, 1.0, 700915, 0},     {-1, 1.0, 693245, 0}};
  for (const auto& [year, day, dayNumber, fraction] : cases) {
    ElementSet set = SunSynchronousSet();
    set.epochYear = year;
    set.epochDay = day;
    const auto prepared = PrepareElements(set);
    ASSERT_TRUE(prepared) << year;
    EXPECT_EQ(std::pair(prepared->DE, prepared->TE), std::pair(dayNumber, fraction)) << year;
  }
  // The element set's age at the picture, in whole days.
  EXPECT_EQ(LocateAtTime(SunSynchronousSet(), 98, 8, 7, 10, 20, 30).value().epochAgeDays, 92);
  EXPECT_EQ(LocateAtTime(SunSynchronousSet(), 99, 0, 3, 0, 0, 0).value().epochAgeDays, -26);
}

TEST(PrepareElements, RefusesElementSetsNoOrbitComesFrom) {
  const double nan = NAN, inf = INFINITY;
  const std::pair<double ElementSet::*, double> spoils[] = {
      {&ElementSet::eccentricity, 1.0}, {&ElementSet::eccentricity, 3.5}, {&ElementSet::eccentricity, -0.1},
      {&ElementSet::eccentricity, nan}, {&ElementSet::meanMotion, nan},   {&ElementSet::meanMotion, 0},
      {&ElementSet::epochDay, inf},     {&ElementSet::inclination, nan},  {&ElementSet::decayRate, inf}};
  for (const auto& [field, value] : spoils) {
    ElementSet set = SunSynchronousSet();
    set.*field = value;
    EXPECT_FALSE(PrepareElements(set)) << value;
    EXPECT_FALSE(LocateAtTime(set, 98, 8, 7, 10, 20, 30)) << value;
  }
}

double GreatCircleKm(double lat1, double lon1, double lat2, double lon2) {
  const double rad = 3.141592653589793 / 180;
  const double c = std::sin(lat1 * rad) * std::sin(lat2 * rad) +
                   std::cos(lat1 * rad) * std::cos(lat2 * rad) * std::cos((lon1 - lon2) * rad);
  return std::acos(std::fmin(1.0, c)) * 6371.0;
}

// An independent check against SGP4, for which published element sets are made: AO-07
// (NORAD 07530) as published on 20 September 2012,
//   1 07530U 74089B   12256.61218065 -.00000027  00000-0  10000-3 0  4795
//   2 07530 101.4099 250.4681 0012001 109.6272 250.6089 12.53591141731001
// against points computed once with satellite.js 7.1.0 (geocentric latitude, asin(z / r)).
TEST(LocateAtTime, AgreesWithSgp4ForARealElementSet) {
  const ElementSet ao7{.epochRevolution = 73100, .epochDay = 256.61218065,
                       .decayRate = -0.00000027, .inclination = 101.4099, .raan = 250.4681,
                       .eccentricity = 0.0012001, .argPerigee = 109.6272,
                       .meanAnomaly = 250.6089, .meanMotion = 12.53591141, .epochYear = 12};
  // Mean elements taken as osculating and the simpler secular model differ from SGP4 by 4 to
  // 14 km over the month: the bounds leave room for that, far below the hundreds of km that a
  // wrong constant, node rate or Earth rotation gives. Day, month (0 … 11), hour, lat, long.
  const std::tuple<int, int, int, double, double> reference[] = {
      {12, 8, 14, -0.0217, 38.0855},    // epoch
      {12, 8, 15, -8.2468, 201.4030},   // one hour on
      {13, 8, 14, -11.2007, 215.7653},  // one day
      {15, 8, 14, -32.6096, 210.5860},  // three days
      {19, 8, 14, -72.8281, 177.1095},  // a week
      {26, 8, 14, 25.4048, 223.2450},   // two weeks
      {12, 9, 14, -30.1588, 44.0920},   // thirty days
  };
  for (size_t i = 0; i < std::size(reference); ++i) {
    const auto& [day, month, hour, latitude, longitude] = reference[i];
    const auto location = LocateAtTime(ao7, 112, month, day, hour, 41, 32);
    ASSERT_TRUE(location);
    EXPECT_TRUE(location->longitude >= 0 && location->longitude < 360) << location->longitude;
    EXPECT_LT(GreatCircleKm(location->latitude, location->longitude, latitude, longitude),
              i < 3 ? 30 : 50)
        << "point " << i;
  }
}

}  // namespace
}  // namespace kestrel
