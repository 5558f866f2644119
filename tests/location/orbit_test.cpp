#include "location/orbit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kestrel {
namespace {

TEST(DayNumber, CountsCalendarDays) {
  EXPECT_EQ(DayNumber(1998, 9, 7), 729654);
  EXPECT_EQ(DayNumber(1990, 1, 0), 726482);
  EXPECT_EQ(DayNumber(1999, 1, 0), 729769);
}

TEST(DayNumber, KnowsLeapYears) {
  EXPECT_EQ(DayNumber(2000, 3, 1) - DayNumber(2000, 2, 28), 2);
  EXPECT_EQ(DayNumber(1999, 3, 1) - DayNumber(1999, 2, 28), 1);
  EXPECT_EQ(DayNumber(2000, 1, 0) - DayNumber(1999, 1, 0), 365);
  EXPECT_EQ(DayNumber(2001, 1, 0) - DayNumber(2000, 1, 0), 366);
}

TEST(FullAngle, CoversTheWholeTurnWithTheProgramsOwnPi) {
  EXPECT_DOUBLE_EQ(FullAngle(0, 0), 1.5707963267945);
  EXPECT_DOUBLE_EQ(FullAngle(-1, 0), -1.5707963267945 + 6.283185307178);
  EXPECT_DOUBLE_EQ(FullAngle(0, -1), 3.141592653589);
  EXPECT_DOUBLE_EQ(FullAngle(1, 1), std::atan(1.0));
  EXPECT_DOUBLE_EQ(FullAngle(-1, 1), std::atan(-1.0) + 6.283185307178);
  EXPECT_DOUBLE_EQ(FullAngle(-1, -1), std::atan(1.0) + 3.141592653589);
}

ElementSet SunSynchronousSet() {
  ElementSet set;
  set.epochRevolution = 37000;
  set.epochDay = 342.5;
  set.epochYear = 98;
  set.decayRate = 2.0e-7;
  set.inclination = 98.4;
  set.raan = 300.0;
  set.eccentricity = 0.0008;
  set.argPerigee = 120.0;
  set.meanAnomaly = 240.0;
  set.meanMotion = 14.37;
  return set;
}

TEST(PrepareElements, SplitsTheEpochIntoDayNumberAndFraction) {
  const auto prepared = PrepareElements(SunSynchronousSet());
  ASSERT_TRUE(prepared);
  EXPECT_EQ(prepared->DE, 729746);
  EXPECT_DOUBLE_EQ(prepared->TE, 0.5);
  EXPECT_EQ(prepared->RV, 37000);
}

TEST(PrepareElements, ReadsTwoDigitYears) {
  ElementSet set = SunSynchronousSet();
  set.epochDay = 1.0;
  const std::pair<int16_t, double> cases[] = {
      {19, 737074 + 1}, {0, 730134 + 1}, {20, 700914 + 1}, {-1, 693244 + 1}};
  for (const auto& [year, dayNumber] : cases) {
    set.epochYear = year;
    const auto prepared = PrepareElements(set);
    ASSERT_TRUE(prepared) << year;
    EXPECT_EQ(prepared->DE, dayNumber) << year;
  }
}

TEST(PrepareElements, DerivesTheOrbitFromTheMeanMotion) {
  const auto prepared = PrepareElements(SunSynchronousSet());
  ASSERT_TRUE(prepared);
  // 14.37 revolutions a day is about 770 km up.
  EXPECT_NEAR(prepared->A0 - 6378.14, 770, 10);
  // Sun-synchronous: the node turns about 0.9856 degrees a day eastward.
  EXPECT_NEAR(prepared->QD * 57.29577951309679, 0.9856, 0.02);
}

TEST(PrepareElements, RefusesElementSetsNoOrbitComesFrom) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (auto spoil : std::initializer_list<void (*)(ElementSet&, double, double)>{
           [](ElementSet& s, double, double) { s.eccentricity = 1.0; },
           [](ElementSet& s, double, double) { s.eccentricity = 3.5; },
           [](ElementSet& s, double, double) { s.eccentricity = -0.1; },
           [](ElementSet& s, double n, double) { s.eccentricity = n; },
           [](ElementSet& s, double n, double) { s.meanMotion = n; },
           [](ElementSet& s, double, double) { s.meanMotion = 0; },
           [](ElementSet& s, double, double i) { s.epochDay = i; },
           [](ElementSet& s, double n, double) { s.inclination = n; },
           [](ElementSet& s, double, double i) { s.decayRate = i; },
       }) {
    ElementSet set = SunSynchronousSet();
    spoil(set, nan, inf);
    EXPECT_FALSE(PrepareElements(set));
    EXPECT_FALSE(LocateAtTime(set, 98, 8, 7, 10, 20, 30));
  }
}

TEST(PropagateTo, ZeroEccentricityNeedsOneKeplerStep) {
  ElementSet set = SunSynchronousSet();
  set.eccentricity = 0;
  const auto prepared = PrepareElements(set);
  ASSERT_TRUE(prepared);
  const auto position = PropagateTo(*prepared, 729700, 0.25);
  ASSERT_TRUE(position);
  EXPECT_EQ(position->keplerIterations, 1);
  EXPECT_DOUBLE_EQ(position->eccentricAnomaly, position->meanAnomaly);
}

TEST(PropagateTo, SolvesKeplersEquationForEccentricOrbits) {
  ElementSet set = SunSynchronousSet();
  set.eccentricity = 0.7;
  set.meanMotion = 2.0;
  const auto prepared = PrepareElements(set);
  ASSERT_TRUE(prepared);
  for (double day = 0; day < 3; day += 0.0937) {
    const auto position = PropagateTo(*prepared, 729746 + std::floor(day), day - std::floor(day));
    ASSERT_TRUE(position);
    EXPECT_LE(position->keplerIterations, kKeplerIterationLimit);
    const double E = position->eccentricAnomaly;
    EXPECT_NEAR(E - 0.7 * std::sin(E), position->meanAnomaly, 1e-5);
  }
}

TEST(PropagateTo, KeepsTheSatelliteOnItsEllipse) {
  const auto prepared = PrepareElements(SunSynchronousSet());
  ASSERT_TRUE(prepared);
  const auto position = PropagateTo(*prepared, 729740, 0.3);
  ASSERT_TRUE(position);
  const double radius = std::sqrt(position->x * position->x + position->y * position->y +
                                  position->z * position->z);
  EXPECT_NEAR(radius, position->RS, 1e-6);
}

TEST(LocateAtTime, CountsTheEpochAgeInWholeDays) {
  const auto before = LocateAtTime(SunSynchronousSet(), 98, 8, 7, 10, 20, 30);
  ASSERT_TRUE(before);
  EXPECT_EQ(before->epochAgeDays, 92);
  const auto after = LocateAtTime(SunSynchronousSet(), 99, 0, 3, 0, 0, 0);
  ASSERT_TRUE(after);
  EXPECT_EQ(after->epochAgeDays, -26);
}

TEST(LocateAtTime, GivesAPointOnTheGround) {
  for (int hour = 0; hour < 24; ++hour) {
    const auto location = LocateAtTime(SunSynchronousSet(), 98, 11, 1, hour, 17, 3);
    ASSERT_TRUE(location);
    EXPECT_GE(location->longitude, 0);
    EXPECT_LT(location->longitude, 360);
    // A 98.4 degree orbit never passes closer to a pole than 81.6 degrees of latitude.
    EXPECT_LE(std::fabs(location->latitude), 81.7);
  }
}

}  // namespace
}  // namespace kestrel
