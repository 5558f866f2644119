#include "location/orbit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace kestrel {
namespace {

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
