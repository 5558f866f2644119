#pragma once
// Where a satellite was at a given moment: a Keplerian ellipse with the secular effects of
// the Earth's oblateness on node and perigee and a linear drag term, and the point on the
// Earth below it.

#include <optional>

#include "location/element_set.h"

namespace kestrel {

// Calendar day count; D = 0 with M = 1 is the day before 1 January of Y.
double DayNumber(double year, double month, double day);

// Angle of the vector (x, y) in 0 … 2π.
double FullAngle(double y, double x);

// The element set in working units, and what follows from it, fixed for one propagation.
struct PreparedElements {
  double DE = 0;  // day number of the epoch
  double TE = 0;  // fraction of the epoch day
  double IN = 0, RA = 0, EC = 0, WP = 0, MA = 0, MM = 0, M2 = 0;
  double N0 = 0, A0 = 0, B0 = 0, SI = 0, CI = 0, PC = 0, QD = 0, WD = 0, DC = 0;
  double GHAE = 0;  // hour angle of Aries at the epoch
  double RV = 0;    // revolution number at the epoch
};

// None for an element set no orbit can come from: values that are not numbers, an
// eccentricity outside 0 … 1 (1 excluded) or a mean motion that is not positive.
std::optional<PreparedElements> PrepareElements(const ElementSet& set);

struct EarthFixedPosition {
  double x = 0, y = 0, z = 0;  // km, z toward the north pole, x toward Greenwich
  double RS = 0;               // geocentric distance, km
  double eccentricAnomaly = 0;
  double meanAnomaly = 0;      // reduced to 0 … 2π
  int keplerIterations = 0;
};

inline constexpr int kKeplerIterationLimit = 50;

// The position at day number DN and day fraction TN; none when Kepler's equation does not
// settle within kKeplerIterationLimit steps or the result is not a number.
std::optional<EarthFixedPosition> PropagateTo(const PreparedElements& elements, double DN,
                                              double TN);

struct SubSatellitePointResult {
  double latitude = 0;   // degrees, geocentric, north positive
  double longitude = 0;  // degrees east, 0 … 360
};

SubSatellitePointResult SubSatellitePoint(const EarthFixedPosition& position);

struct SatelliteLocation {
  double latitude = 0;
  double longitude = 0;
  int epochAgeDays = 0;  // epoch day number minus capture day number
};

// The sub-satellite point at a UTC moment given as calendar fields (years since 1900,
// month 0 … 11). None when the element set is unusable.
std::optional<SatelliteLocation> LocateAtTime(const ElementSet& set, double year, double month,
                                              double day, double hour, double minute,
                                              double second);

}  // namespace kestrel
