#include "location/sgp4.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kestrel {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr double kDegreesToRadians = std::numbers::pi / 180;
constexpr double kMinutesPerDay = 1440;
constexpr double kTwoThirds = 2.0 / 3;

// WGS-72, the constants the element sets are fitted with.
constexpr double kEarthRadiusKm = 6378.135;
constexpr double kEarthMu = 398600.8;  // km³/s²
constexpr double kJ2 = 0.001082616;
constexpr double kJ3 = -0.00000253881;
constexpr double kJ4 = -0.00000165597;
constexpr double kJ3OverJ2 = kJ3 / kJ2;
// √μ in earth radii^1.5 per minute, and the speed of one earth radius per such unit.
const double kKe = 60 / std::sqrt(kEarthRadiusKm * kEarthRadiusKm * kEarthRadiusKm / kEarthMu);
const double kSpeedKmPerS = kEarthRadiusKm * kKe / 60;

// The atmosphere's density falls as ((q0 - s) / (r - s))⁴ with q0 120 km and s 78 km above
// the surface; for low perigees s comes down with the perigee.
constexpr double kDensityQ0Km = 120;
constexpr double kDensitySKm = 78;
constexpr double kLowPerigeeKm = 156;      // below: s is 78 km under the perigee
constexpr double kVeryLowPerigeeKm = 98;   // below: s is 20 km
constexpr double kVeryLowDensitySKm = 20;
constexpr double kSimplifiedDragPerigeeKm = 220;
constexpr double kDeepSpacePeriodMinutes = 225;

// Below this eccentricity the C3 and mean-anomaly drag terms, which divide by it, are left out.
constexpr double kDragTermsEccentricity = 1e-4;
constexpr double kLowestMeanEccentricity = -0.001;
constexpr double kLeastEccentricity = 1e-6;  // a smaller one is taken as this
constexpr double kLeastOnePlusCosI = 1.5e-12;  // keeps the long-period term finite at i = 180°

constexpr int kKeplerSteps = 10;
constexpr double kKeplerTolerance = 1e-12;
constexpr double kKeplerLargestStep = 0.95;

double Cube(double x) { return x * x * x; }

Sgp4Start Refused(Sgp4Error error) { return {{}, error}; }

TemeState Failed(Sgp4Error error) {
  TemeState state;
  state.error = error;
  return state;
}

}  // namespace

std::string_view Sgp4ErrorText(Sgp4Error error) {
  switch (error) {
    case Sgp4Error::None: return "no error";
    case Sgp4Error::Eccentricity: return "the orbit's mean eccentricity has left the range 0 to 1";
    case Sgp4Error::MeanMotion: return "the orbit's mean motion is not positive";
    case Sgp4Error::PerturbedEccentricity:
      return "the orbit's perturbed eccentricity has left the range 0 to 1";
    case Sgp4Error::SemiLatusRectum: return "the orbit's semi-latus rectum is negative";
    case Sgp4Error::Decayed:
      return "the satellite has decayed: its orbit runs below the Earth's surface";
    case Sgp4Error::DeepSpace:
      return "the orbit's period is 225 minutes or more (deep space), which this program does "
             "not propagate";
    case Sgp4Error::NotANumber:
      return "the time or a value of the element set is not a finite number";
  }
  return "unknown error";
}

Sgp4Start InitialiseSgp4(const TwoLineElementSet& set) {
  const double e0 = set.eccentricity;
  if (!(e0 >= 0 && e0 < 1)) return Refused(Sgp4Error::Eccentricity);
  if (!(set.meanMotion > 0)) return Refused(Sgp4Error::MeanMotion);

  Sgp4Model m;
  m.eccentricity = e0;
  m.inclination = set.inclination * kDegreesToRadians;
  m.raan = set.raan * kDegreesToRadians;
  m.argPerigee = set.argPerigee * kDegreesToRadians;
  m.meanAnomaly = set.meanAnomaly * kDegreesToRadians;
  m.bstar = set.bstar;
  const double cosI = std::cos(m.inclination), sinI = std::sin(m.inclination);
  const double theta2 = cosI * cosI, theta4 = theta2 * theta2;
  const double beta02 = 1 - e0 * e0, beta0 = std::sqrt(beta02);
  m.cosInclination = cosI;
  m.sinInclination = sinI;
  m.threeCos2Minus1 = 3 * theta2 - 1;
  m.oneMinusCos2 = 1 - theta2;
  m.sevenCos2Minus1 = 7 * theta2 - 1;

  // The set's mean motion includes the first-order J2 effect on the period; take it out.
  const double setMeanMotion = set.meanMotion * kTwoPi / kMinutesPerDay;
  const double a1 = std::pow(kKe / setMeanMotion, kTwoThirds);
  const double j2Term = 0.75 * kJ2 * m.threeCos2Minus1 / (beta0 * beta02);
  const double delta1 = j2Term / (a1 * a1);
  const double a0 = a1 * (1 - delta1 * (1.0 / 3 + delta1 * (1 + 134.0 / 81 * delta1)));
  m.meanMotion = setMeanMotion / (1 + j2Term / (a0 * a0));
  if (kTwoPi / m.meanMotion >= kDeepSpacePeriodMinutes) return Refused(Sgp4Error::DeepSpace);
  m.semiMajorAxis = std::pow(kKe / m.meanMotion, kTwoThirds);
  const double a = m.semiMajorAxis, n = m.meanMotion, bstar = m.bstar;

  // Drag coefficients, with the density's s fitted to the perigee.
  const double perigeeKm = (a * (1 - e0) - 1) * kEarthRadiusKm;
  m.simplifiedDrag = perigeeKm < kSimplifiedDragPerigeeKm;
  double sKm = kDensitySKm;
  if (perigeeKm < kLowPerigeeKm)
    sKm = perigeeKm < kVeryLowPerigeeKm ? kVeryLowDensitySKm : perigeeKm - kDensitySKm;
  const double s = 1 + sKm / kEarthRadiusKm;
  const double q0MinusS4 = std::pow((kDensityQ0Km - sKm) / kEarthRadiusKm, 4);
  const double xi = 1 / (a - s);
  m.eta = a * e0 * xi;
  const double eta2 = m.eta * m.eta, eEta = e0 * m.eta;
  const double psi2 = std::fabs(1 - eta2);
  const double coef = q0MinusS4 * std::pow(xi, 4);
  const double coef1 = coef / std::pow(psi2, 3.5);
  const double c2 =
      coef1 * n *
      (a * (1 + 1.5 * eta2 + eEta * (4 + eta2)) +
       0.375 * kJ2 * xi / psi2 * m.threeCos2Minus1 * (8 + 3 * eta2 * (8 + eta2)));
  m.c1 = bstar * c2;
  const double c3 =
      e0 > kDragTermsEccentricity ? -2 * coef * xi * kJ3OverJ2 * n * sinI / e0 : 0;
  m.c4 = 2 * n * coef1 * a * beta02 *
         (m.eta * (2 + 0.5 * eta2) + e0 * (0.5 + 2 * eta2) -
          kJ2 * xi / (a * psi2) *
              (-3 * m.threeCos2Minus1 * (1 - 2 * eEta + eta2 * (1.5 - 0.5 * eEta)) +
               0.75 * m.oneMinusCos2 * (2 * eta2 - eEta * (1 + eta2)) *
                   std::cos(2 * m.argPerigee)));
  m.c5 = 2 * coef1 * a * beta02 * (1 + 2.75 * (eta2 + eEta) + eEta * eta2);

  // Secular rates of J2 (to second order) and J4.
  const double p = a * beta02;
  const double pInverse2 = 1 / (p * p);
  const double j2Rate = 1.5 * kJ2 * pInverse2 * n;
  const double j2SquaredRate = 0.5 * j2Rate * kJ2 * pInverse2;
  const double j4Rate = -0.46875 * kJ4 * pInverse2 * pInverse2 * n;
  m.meanAnomalyRate = n + 0.5 * j2Rate * beta0 * m.threeCos2Minus1 +
                      0.0625 * j2SquaredRate * beta0 * (13 - 78 * theta2 + 137 * theta4);
  m.argPerigeeRate = -0.5 * j2Rate * (1 - 5 * theta2) +
                     0.0625 * j2SquaredRate * (7 - 114 * theta2 + 395 * theta4) +
                     j4Rate * (3 - 36 * theta2 + 49 * theta4);
  const double raanJ2Rate = -j2Rate * cosI;
  m.raanRate = raanJ2Rate +
               (0.5 * j2SquaredRate * (4 - 19 * theta2) + 2 * j4Rate * (3 - 7 * theta2)) * cosI;

  // Drag on the angles.
  m.raanDrag = 3.5 * beta02 * raanJ2Rate * m.c1;
  m.argPerigeeDrag = bstar * c3 * std::cos(m.argPerigee);
  m.meanAnomalyDrag = e0 > kDragTermsEccentricity ? -kTwoThirds * coef * bstar / eEta : 0;
  m.epochDragCube = Cube(1 + m.eta * std::cos(m.meanAnomaly));
  m.sinMeanAnomaly = std::sin(m.meanAnomaly);
  m.longitudeDrag[0] = 1.5 * m.c1;
  if (!m.simplifiedDrag) {
    const double c1Squared = m.c1 * m.c1;
    m.d2 = 4 * a * xi * c1Squared;
    const double d3Factor = m.d2 * xi * m.c1 / 3;
    m.d3 = (17 * a + s) * d3Factor;
    m.d4 = 0.5 * d3Factor * a * xi * (221 * a + 31 * s) * m.c1;
    m.longitudeDrag[1] = m.d2 + 2 * c1Squared;
    m.longitudeDrag[2] = 0.25 * (3 * m.d3 + m.c1 * (12 * m.d2 + 10 * c1Squared));
    m.longitudeDrag[3] = 0.2 * (3 * m.d4 + 12 * m.c1 * m.d3 + 6 * m.d2 * m.d2 +
                                15 * c1Squared * (2 * m.d2 + c1Squared));
  }

  // Long-period terms of J3.
  m.longPeriodLongitude =
      -0.25 * kJ3OverJ2 * sinI * (3 + 5 * cosI) / std::max(1 + cosI, kLeastOnePlusCosI);
  m.longPeriodAyn = -0.5 * kJ3OverJ2 * sinI;

  // A set that fails at its own epoch gives no orbit at all.
  const Sgp4Error atEpoch = PropagateSgp4(m, 0).error;
  if (atEpoch != Sgp4Error::None) return Refused(atEpoch);
  return {m, Sgp4Error::None};
}

TemeState PropagateSgp4(const Sgp4Model& m, double t) {
  if (!std::isfinite(t)) return Failed(Sgp4Error::NotANumber);

  // Secular effects of gravity and drag on the mean elements.
  const double t2 = t * t;
  const double driftedMeanAnomaly = m.meanAnomaly + m.meanAnomalyRate * t;
  double meanAnomaly = driftedMeanAnomaly;
  double argPerigee = m.argPerigee + m.argPerigeeRate * t;
  const double raan = m.raan + m.raanRate * t + m.raanDrag * t2;
  double axisRoot = 1 - m.c1 * t;  // √(a / a0)
  double eccentricityLoss = m.bstar * m.c4 * t;
  double longitudeGain = m.longitudeDrag[0] * t2;  // over the mean motion
  if (!m.simplifiedDrag) {
    const double shift =
        m.argPerigeeDrag * t +
        m.meanAnomalyDrag * (Cube(1 + m.eta * std::cos(driftedMeanAnomaly)) - m.epochDragCube);
    meanAnomaly += shift;
    argPerigee -= shift;
    const double t3 = t2 * t, t4 = t3 * t;
    axisRoot -= m.d2 * t2 + m.d3 * t3 + m.d4 * t4;
    eccentricityLoss += m.bstar * m.c5 * (std::sin(meanAnomaly) - m.sinMeanAnomaly);
    longitudeGain += m.longitudeDrag[1] * t3 + t4 * (m.longitudeDrag[2] + t * m.longitudeDrag[3]);
  }
  const double axisRoot2 = axisRoot * axisRoot;
  const double a = m.semiMajorAxis * axisRoot2;
  const double n = m.meanMotion / (axisRoot2 * std::fabs(axisRoot));  // Kepler's third law
  double e = m.eccentricity - eccentricityLoss;
  if (!(e < 1 && e >= kLowestMeanEccentricity)) return Failed(Sgp4Error::Eccentricity);
  e = std::max(e, kLeastEccentricity);

  // Long-period terms of J3, on axn = e cos ω, ayn = e sin ω and the mean longitude; the node
  // would be added to the longitude and taken off again, so it is left out of both.
  const double pInverse = 1 / (a * (1 - e * e));
  const double axn = e * std::cos(argPerigee);
  const double ayn = e * std::sin(argPerigee) + pInverse * m.longPeriodAyn;
  const double u = std::fmod(meanAnomaly + m.meanMotion * longitudeGain + argPerigee +
                                 pInverse * m.longPeriodLongitude * axn,
                             kTwoPi);

  // Kepler's equation in these elements: E + ω = U + axn sin(E + ω) - ayn cos(E + ω), by
  // Newton's steps of at most 0.95 radians.
  double eo = u, sinEo = 0, cosEo = 0;
  for (int step = 0; step < kKeplerSteps; ++step) {
    sinEo = std::sin(eo);
    cosEo = std::cos(eo);
    const double change = std::clamp(
        (u - ayn * cosEo + axn * sinEo - eo) / (1 - axn * cosEo - ayn * sinEo),
        -kKeplerLargestStep, kKeplerLargestStep);
    eo += change;
    if (std::fabs(change) < kKeplerTolerance) break;
  }

  const double eCosE = axn * cosEo + ayn * sinEo;
  const double eSinE = axn * sinEo - ayn * cosEo;
  const double eL2 = axn * axn + ayn * ayn;
  const double pL = a * (1 - eL2);
  if (!(pL >= 0)) return Failed(Sgp4Error::SemiLatusRectum);
  const double r = a * (1 - eCosE);
  const double rDot = std::sqrt(a) * eSinE / r;
  const double rfDot = std::sqrt(pL) / r;
  const double betaL = std::sqrt(1 - eL2);
  const double w = eSinE / (1 + betaL);
  const double sinU = a / r * (sinEo - ayn - axn * w);
  const double cosU = a / r * (cosEo - axn + ayn * w);
  const double sin2U = 2 * cosU * sinU, cos2U = 1 - 2 * sinU * sinU;

  // Short-period terms of J2.
  const double j2OverP = 0.5 * kJ2 / pL;
  const double j2OverP2 = j2OverP / pL;
  const double radius = r * (1 - 1.5 * j2OverP2 * betaL * m.threeCos2Minus1) +
                        0.5 * j2OverP * m.oneMinusCos2 * cos2U;
  if (!(radius >= 1)) return Failed(Sgp4Error::Decayed);
  const double argLatitude =
      std::atan2(sinU, cosU) - 0.25 * j2OverP2 * m.sevenCos2Minus1 * sin2U;
  const double node = raan + 1.5 * j2OverP2 * m.cosInclination * sin2U;
  const double inclination =
      m.inclination + 1.5 * j2OverP2 * m.cosInclination * m.sinInclination * cos2U;
  const double radialSpeed = rDot - n * j2OverP * m.oneMinusCos2 * sin2U / kKe;
  const double transverseSpeed =
      rfDot + n * j2OverP * (m.oneMinusCos2 * cos2U + 1.5 * m.threeCos2Minus1) / kKe;

  // The radial and along-track unit vectors of the osculating orbit.
  const double sinArg = std::sin(argLatitude), cosArg = std::cos(argLatitude);
  const double sinNode = std::sin(node), cosNode = std::cos(node);
  const double sinInc = std::sin(inclination), cosInc = std::cos(inclination);
  const double mx = -sinNode * cosInc, my = cosNode * cosInc;
  const std::array<double, 3> radial{mx * sinArg + cosNode * cosArg,
                                     my * sinArg + sinNode * cosArg, sinInc * sinArg};
  const std::array<double, 3> alongTrack{mx * cosArg - cosNode * sinArg,
                                         my * cosArg - sinNode * sinArg, sinInc * cosArg};
  TemeState state;
  for (size_t k = 0; k < 3; ++k) {
    state.positionKm[k] = radius * kEarthRadiusKm * radial[k];
    state.velocityKmPerS[k] =
        (radialSpeed * radial[k] + transverseSpeed * alongTrack[k]) * kSpeedKmPerS;
    if (!std::isfinite(state.positionKm[k]) || !std::isfinite(state.velocityKmPerS[k]))
      return Failed(Sgp4Error::NotANumber);
  }
  return state;
}

}  // namespace kestrel
