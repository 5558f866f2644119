#include "location/orbit.h"

#include <cmath>
#include <limits>

namespace kestrel {
namespace {

// The constants are those of the classic amateur propagator, spellings included: 2π and 1/3
// each appear twice with different precision, and results depend on which is used where.
constexpr double kEarthRadiusKm = 6378.14;           // RE
constexpr double kEarthGravity = 398600.0;           // GM, km³/s²
constexpr double kOblateness = 0.001623945;          // 1.5·J2
constexpr double kPerSecondOfDay = 1.1574074074074073e-05;
constexpr double kCubeRoot = 0.333333333;
constexpr double kOneThird = 0.3333333333333333;
constexpr double kTwoPi = 6.283185307178;
constexpr double kInverseTwoPi = 0.15915494309193554;
constexpr double kPi = 3.141592653589;
constexpr double kHalfPi = 1.5707963267945;
constexpr double kDegreesToRadians = 0.01745329251993889;
constexpr double kRadiansToDegrees = 57.29577951309679;
constexpr double kEarthRotation = 6.300388098527922;  // WE, radians per day against the stars
constexpr double kAriesAt1990 = 1.7349148723472414;   // G0, at DayNumber(1990, 1, 0)
constexpr double kKeplerTolerance = 1e-05;

constexpr double kHoursPerSecond = 0.0002777777777777778;
constexpr double kHoursPerMinute = 0.016666666666666666;
constexpr double kDaysPerHour = 0.041666666666666664;

bool AllFinite(std::initializer_list<double> values) {
  for (double v : values)
    if (!std::isfinite(v)) return false;
  return true;
}

}  // namespace

double DayNumber(double year, double month, double day) {
  if (month <= 2) {
    year -= 1;
    month += 12;
  }
  return std::floor(365.25 * year) + std::floor(30.6 * (month + 1)) + day - 428;
}

double FullAngle(double y, double x) {
  double a = 0;
  if (x != 0) {
    a = std::atan(y / x);
  } else {
    a = (y < 0 ? -1 : 1) * kHalfPi;
  }
  if (x < 0) a += kPi;
  if (a < 0) a += kTwoPi;
  return a;
}

std::optional<PreparedElements> PrepareElements(const ElementSet& set) {
  if (!AllFinite({set.epochDay, set.decayRate, set.inclination, set.raan, set.eccentricity,
                  set.argPerigee, set.meanAnomaly, set.meanMotion}))
    return std::nullopt;
  if (!(set.eccentricity >= 0 && set.eccentricity < 1) || !(set.meanMotion > 0))
    return std::nullopt;

  PreparedElements e;
  e.RV = set.epochRevolution;
  e.TE = set.epochDay;
  e.M2 = set.decayRate * kTwoPi;
  e.IN = set.inclination * kDegreesToRadians;
  e.RA = set.raan * kDegreesToRadians;
  e.EC = set.eccentricity;
  e.WP = set.argPerigee * kDegreesToRadians;
  e.MA = set.meanAnomaly * kDegreesToRadians;
  e.MM = set.meanMotion * kTwoPi;
  const int y = set.epochYear;
  const double YE = (y >= 0 && y < 20) ? 2000 + y : 1900 + y;

  e.DE = DayNumber(YE, 1, 0) + std::floor(e.TE);
  e.TE = e.TE - std::floor(e.TE);
  e.N0 = e.MM * kPerSecondOfDay;
  e.A0 = std::pow(kEarthGravity / e.N0 / e.N0, kCubeRoot);
  e.B0 = e.A0 * std::sqrt(1 - e.EC * e.EC);
  e.SI = std::sin(e.IN);
  e.CI = std::cos(e.IN);
  e.PC = kEarthRadiusKm * e.A0 / (e.B0 * e.B0);
  e.PC = kOblateness * e.PC * e.PC * e.MM;
  e.QD = -e.PC * e.CI;
  e.WD = e.PC * (5 * e.CI * e.CI - 1) * 0.5;
  e.DC = -2 * e.M2 / e.MM * kOneThird;
  e.GHAE = (e.DE - DayNumber(1990, 1, 0) + e.TE) * kEarthRotation + kAriesAt1990;
  if (!AllFinite({e.DE, e.A0, e.B0, e.PC, e.DC, e.GHAE})) return std::nullopt;
  return e;
}

std::optional<EarthFixedPosition> PropagateTo(const PreparedElements& e, double DN, double TN) {
  const double T = (DN - e.DE) + (TN - e.TE);
  const double DT = e.DC * T * 0.5;
  const double KD = 1 + 4 * DT;
  const double KDP = 1 - 7 * DT;

  double M = e.MA + e.MM * T * (1 - 3 * DT);
  const double DR = std::floor(M * kInverseTwoPi);
  M = M - DR * kTwoPi;

  EarthFixedPosition p;
  p.meanAnomaly = M;
  double EA = M;
  double CE = 0, SE = 0, DNOM = 0;
  for (;;) {
    if (p.keplerIterations == kKeplerIterationLimit) return std::nullopt;
    ++p.keplerIterations;
    CE = std::cos(EA);
    SE = std::sin(EA);
    DNOM = 1 - e.EC * CE;
    const double D = (EA - e.EC * SE - M) / DNOM;
    EA = EA - D;
    if (std::fabs(D) < kKeplerTolerance) break;
  }
  p.eccentricAnomaly = EA;

  const double A = e.A0 * KD;
  const double B = e.B0 * KD;
  p.RS = A * DNOM;

  const double Sx = A * (CE - e.EC);
  const double Sy = B * SE;

  const double AP = e.WP + e.WD * T * KDP;
  const double CW = std::cos(AP);
  const double SW = std::sin(AP);
  const double RAAN = e.RA + e.QD * T * KDP;
  const double CQ = std::cos(RAAN);
  const double SQ = std::sin(RAAN);

  const double CXx = CW * CQ - SW * e.CI * SQ;
  const double CXy = -SW * CQ - CW * e.CI * SQ;
  const double CYx = CW * SQ + SW * e.CI * CQ;
  const double CYy = -SW * SQ + CW * e.CI * CQ;
  const double CZx = SW * e.SI;
  const double CZy = CW * e.SI;

  const double SATx = Sx * CXx + Sy * CXy;
  const double SATy = Sx * CYx + Sy * CYy;
  const double SATz = Sx * CZx + Sy * CZy;

  const double GHAA = e.GHAE + kEarthRotation * T;
  const double CG = std::cos(-GHAA);
  const double SG = std::sin(-GHAA);
  p.x = SATx * CG - SATy * SG;
  p.y = SATx * SG + SATy * CG;
  p.z = SATz;
  if (!AllFinite({p.x, p.y, p.z, p.RS}) || p.RS <= 0) return std::nullopt;
  return p;
}

SubSatellitePointResult SubSatellitePoint(const EarthFixedPosition& p) {
  SubSatellitePointResult point;
  point.longitude = FullAngle(p.y, p.x) * kRadiansToDegrees;
  // Rounding can carry |z| a hair past RS straight over a pole.
  point.latitude = std::asin(std::fmax(-1.0, std::fmin(1.0, p.z / p.RS))) * kRadiansToDegrees;
  return point;
}

std::optional<SatelliteLocation> LocateAtTime(const ElementSet& set, double year, double month,
                                              double day, double hour, double minute,
                                              double second) {
  const auto elements = PrepareElements(set);
  if (!elements) return std::nullopt;
  const double DN = DayNumber(year + 1900, month + 1, day);
  const double TN = (second * kHoursPerSecond + minute * kHoursPerMinute + hour) * kDaysPerHour;
  const auto position = PropagateTo(*elements, DN, TN);
  if (!position) return std::nullopt;
  const double age = std::trunc(elements->DE - DN);
  if (!(std::fabs(age) <= std::numeric_limits<int>::max())) return std::nullopt;
  const SubSatellitePointResult point = SubSatellitePoint(*position);
  return SatelliteLocation{point.latitude, point.longitude, static_cast<int>(age)};
}

}  // namespace kestrel
