#pragma once
// Time scales and frames between the orbit model's inertial frame and points on the Earth:
// Julian dates, Greenwich mean sidereal time, the turn from the true-equator mean-equinox
// frame (TEME) to the Earth-fixed one, and geodetic latitude, longitude and height.

#include <array>

namespace kestrel {

// The Julian date at 0 h UTC of a day of the Gregorian calendar (years 1 and later; month
// 1 ... 12).
double JulianDateFromCalendar(int year, int month, int day);

double JulianDateFromUnixSeconds(double secondsSince1970);

// Greenwich mean sidereal time in radians, 0 ... 2π, by the 1982 IAU formula: the Earth's
// angle that the TEME frame of SGP4 is turned by.
double GreenwichMeanSiderealTime(double julianDateUt1);

// A TEME position turned about the pole by the sidereal time into the Earth-fixed frame
// (x toward Greenwich on the equator, z toward the north pole); polar motion is left out, and
// UTC stands for UT1.
std::array<double, 3> TemeToEarthFixed(const std::array<double, 3>& temeKm, double julianDate);

struct GeodeticPoint {
  double latitude = 0, longitude = 0;  // degrees; longitude east-positive, -180 ... 180
  double heightKm = 0;                 // above the WGS-84 ellipsoid
};

// The point over the WGS-84 ellipsoid at an Earth-fixed position.
GeodeticPoint EarthFixedToGeodetic(const std::array<double, 3>& earthFixedKm);

}  // namespace kestrel
