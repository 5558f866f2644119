#include "location/earth_frames.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace kestrel {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr double kRadiansToDegrees = 180 / std::numbers::pi;
constexpr double kSecondsPerDay = 86400;
constexpr double kUnixEpochJulianDate = 2440587.5;  // 1 January 1970, 0 h UTC
constexpr double kMarchFirstOfYearZero = 1721119.5; // Julian date of the calendar's day count 0
constexpr double kJ2000 = 2451545.0;                // 1 January 2000, 12 h
constexpr double kDaysPerCentury = 36525;

// The 1982 IAU sidereal time: seconds of GMST as a polynomial in Julian centuries from J2000.
constexpr double kGmstAtJ2000 = 67310.54841;
constexpr double kGmstPerCentury = 876600.0 * 3600 + 8640184.812866;
constexpr double kGmstPerCentury2 = 0.093104;
constexpr double kGmstPerCentury3 = -6.2e-6;

// WGS-84
constexpr double kEquatorialRadiusKm = 6378.137;
constexpr double kFlattening = 1 / 298.257223563;
constexpr double kPolarRadiusKm = kEquatorialRadiusKm * (1 - kFlattening);
constexpr double kEccentricity2 = kFlattening * (2 - kFlattening);
constexpr double kSecondEccentricity2 = kEccentricity2 / (1 - kEccentricity2);

}  // namespace

double JulianDateFromCalendar(int year, int month, int day) {
  // Counting the year from 1 March puts the leap day at its end.
  const int64_t marchYear = month <= 2 ? int64_t{year} - 1 : year;
  const int64_t monthsFromMarch = (month + 9) % 12;
  const int64_t dayInYear = (153 * monthsFromMarch + 2) / 5 + day - 1;
  const int64_t days =
      365 * marchYear + marchYear / 4 - marchYear / 100 + marchYear / 400 + dayInYear;
  return kMarchFirstOfYearZero + static_cast<double>(days);
}

double JulianDateFromUnixSeconds(double secondsSince1970) {
  return kUnixEpochJulianDate + secondsSince1970 / kSecondsPerDay;
}

double GreenwichMeanSiderealTime(double julianDateUt1) {
  const double t = (julianDateUt1 - kJ2000) / kDaysPerCentury;
  const double seconds =
      kGmstAtJ2000 + t * (kGmstPerCentury + t * (kGmstPerCentury2 + t * kGmstPerCentury3));
  const double angle = std::fmod(seconds * (kTwoPi / kSecondsPerDay), kTwoPi);
  return angle < 0 ? angle + kTwoPi : angle;
}

std::array<double, 3> TemeToEarthFixed(const std::array<double, 3>& temeKm, double julianDate) {
  const double theta = GreenwichMeanSiderealTime(julianDate);
  const double c = std::cos(theta), s = std::sin(theta);
  return {c * temeKm[0] + s * temeKm[1], c * temeKm[1] - s * temeKm[0], temeKm[2]};
}

GeodeticPoint EarthFixedToGeodetic(const std::array<double, 3>& earthFixedKm) {
  // Heikkinen's closed form: the foot of the normal from a quartic solved exactly, no
  // iteration; exact on the poles and the equator. The clamps keep points deep inside the
  // Earth finite.
  const auto [x, y, z] = earthFixedKm;
  const double a = kEquatorialRadiusKm, b = kPolarRadiusKm, e2 = kEccentricity2;
  const double p2 = x * x + y * y;
  const double p = std::sqrt(p2);
  const double f = 54 * b * b * z * z;
  const double g = p2 + (1 - e2) * z * z - e2 * (a * a - b * b);
  const double c = e2 * e2 * f * p2 / (g * g * g);
  const double s = std::cbrt(1 + c + std::sqrt(std::max(0.0, c * c + 2 * c)));
  const double k = s + 1 + 1 / s;
  const double bigP = f / (3 * k * k * g * g);
  const double q = std::sqrt(1 + 2 * e2 * e2 * bigP);
  const double r0 = -bigP * e2 * p / (1 + q) +
                    std::sqrt(std::max(0.0, a * a / 2 * (1 + 1 / q) -
                                                bigP * (1 - e2) * z * z / (q * (1 + q)) -
                                                bigP * p2 / 2));
  const double pr = p - e2 * r0;
  const double u = std::sqrt(pr * pr + z * z);
  const double v = std::sqrt(pr * pr + (1 - e2) * z * z);
  const double z0 = b * b * z / (a * v);
  return {std::atan2(z + kSecondEccentricity2 * z0, p) * kRadiansToDegrees,
          std::atan2(y, x) * kRadiansToDegrees, u * (1 - b * b / (a * v))};
}

}  // namespace kestrel
