// Julian dates, sidereal time at published examples, and geodetic points against the plain
// forward conversion from latitude, longitude and height.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "location/earth_frames.h"

namespace kestrel {
namespace {

constexpr double kDegrees = std::numbers::pi / 180;

TEST(EarthFrames, JulianDatesOfCalendarDaysAndUnixTimes) {
  const std::tuple<int, int, int, double> days[] = {
      {2000, 1, 1, 2451544.5}, {1957, 10, 4, 2436115.5}, {1900, 2, 28, 2415078.5},
      {1900, 3, 1, 2415079.5}, {2024, 2, 29, 2460369.5}, {1, 1, 1, 1721425.5}};
  for (const auto& [year, month, day, julianDate] : days)
    EXPECT_EQ(JulianDateFromCalendar(year, month, day), julianDate) << year << "-" << month;
  EXPECT_EQ(JulianDateFromUnixSeconds(946728000), 2451545.0);  // 2000-01-01 12:00
}

TEST(EarthFrames, SiderealTimeMatchesPublishedExamplesAndTurnsTeme) {
  // J2000: 18 h 41 min 50.54841 s; Vallado's example 3-5, 20 August 1992 12:14 UT1.
  EXPECT_NEAR(GreenwichMeanSiderealTime(2451545.0) / kDegrees, 280.46061837, 1e-8);
  const double julianDate = 2448854.5 + (12 + 14 / 60.0) / 24;
  const double theta = GreenwichMeanSiderealTime(julianDate);
  EXPECT_NEAR(theta / kDegrees, 152.578787810, 1e-7);
  // A point over Greenwich in TEME lies on the Earth-fixed x axis.
  const auto fixed =
      TemeToEarthFixed({7000 * std::cos(theta), 7000 * std::sin(theta), 3500}, julianDate);
  EXPECT_NEAR(fixed[0], 7000, 1e-9);
  EXPECT_NEAR(fixed[1], 0, 1e-9);
  EXPECT_EQ(fixed[2], 3500);
}

TEST(EarthFrames, GeodeticPointsComeBackFromTheForwardConversion) {
  const double a = 6378.137, f = 1 / 298.257223563, e2 = f * (2 - f);  // WGS-84
  const GeodeticPoint points[] = {
      {0, 0, 0},       {0, 180, 500},       {90, 0, 800},         {-90, 0, 0},
      {45, -120, 0.3}, {51.24, -0.59, 780}, {-33.9, 18.4, 35786}, {89.9999, 10, 600},
      {30, 60, -5},    {-60, 100, 20000},   {0.0001, -179.9999, 10}};
  for (const auto& [latitude, longitude, height] : points) {
    const double phi = latitude * kDegrees, lambda = longitude * kDegrees;
    const double n = a / std::sqrt(1 - e2 * std::sin(phi) * std::sin(phi));
    const GeodeticPoint back = EarthFixedToGeodetic(
        {(n + height) * std::cos(phi) * std::cos(lambda),
         (n + height) * std::cos(phi) * std::sin(lambda), (n * (1 - e2) + height) * std::sin(phi)});
    EXPECT_NEAR(back.latitude, latitude, 1e-9) << latitude << ", " << longitude;
    EXPECT_NEAR(back.longitude, longitude, 1e-9) << latitude << ", " << longitude;
    EXPECT_NEAR(back.heightKm, height, 1e-6) << latitude << ", " << longitude;
  }
}

}  // namespace
}  // namespace kestrel
