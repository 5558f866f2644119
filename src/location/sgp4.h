#pragma once
// The SGP4 orbit model of the two-line element sets, near-Earth part (periods under 225
// minutes), in its revised form of 2006: mean elements, secular effects of gravity (J2, J4)
// and atmospheric drag, the long-period J3 terms and the short-period J2 terms, giving
// position and velocity in the true-equator mean-equinox frame of the epoch (TEME).
// WGS-72 constants throughout, as the element sets are fitted with them.

#include <array>
#include <string_view>

#include "location/two_line_elements.h"

namespace kestrel {

enum class Sgp4Error {
  None,
  Eccentricity,           // of the mean elements, outside 0 ... 1 (down to -0.001 tolerated)
  MeanMotion,             // not positive
  PerturbedEccentricity,  // of the perturbed elements; only the deep-space terms can cause it
  SemiLatusRectum,        // negative
  Decayed,                // the orbit runs below the Earth's surface
  DeepSpace,              // a period of 225 minutes or more
  NotANumber,             // the time or an element is not a finite number, or leads to none
};

// What went wrong, in plain words.
std::string_view Sgp4ErrorText(Sgp4Error error);

// Everything fixed at the epoch. Angles in radians, distances in earth radii, time in
// minutes; the names of the drag coefficients (C1, C4, C5, D2-D4) and of η are the theory's.
struct Sgp4Model {
  // Mean elements at the epoch; the mean motion and semi-major axis recovered from the set's
  // mean motion (which folds in the first-order J2 effect) by the theory's rule.
  double meanMotion = 0, semiMajorAxis = 0, eccentricity = 0, inclination = 0;
  double meanAnomaly = 0, argPerigee = 0, raan = 0, bstar = 0;

  // Secular rates from J2 and J4, per minute.
  double meanAnomalyRate = 0, argPerigeeRate = 0, raanRate = 0;

  // Drag. Below 220 km of perigee only C1 and C4 act.
  bool simplifiedDrag = false;
  double c1 = 0, c4 = 0, c5 = 0, d2 = 0, d3 = 0, d4 = 0;
  double raanDrag = 0;                 // node change per minute²
  double argPerigeeDrag = 0;           // B*·C3·cos ω0, per minute
  double meanAnomalyDrag = 0;          // factor of the change of (1 + η cos M)³
  double eta = 0;
  double epochDragCube = 0;            // (1 + η cos M0)³
  double sinMeanAnomaly = 0;           // sin M0
  std::array<double, 4> longitudeDrag{};  // mean longitude change over n0 per minute² ... ⁵

  // Periodic terms.
  double longPeriodLongitude = 0;      // the J3 term of the mean longitude, over axn/p
  double longPeriodAyn = 0;            // the J3 term of e·sin ω, over p
  double cosInclination = 0, sinInclination = 0;
  double threeCos2Minus1 = 0, oneMinusCos2 = 0, sevenCos2Minus1 = 0;  // of the inclination
};

struct Sgp4Start {
  Sgp4Model model;
  Sgp4Error error = Sgp4Error::None;
};

// The model of a set; refused (with the reason) when the elements are out of range, the
// period is 225 minutes or more, or the set fails at its own epoch.
Sgp4Start InitialiseSgp4(const TwoLineElementSet& set);

struct TemeState {
  std::array<double, 3> positionKm{}, velocityKmPerS{};  // zero unless error is None
  Sgp4Error error = Sgp4Error::None;
};

TemeState PropagateSgp4(const Sgp4Model& model, double minutesSinceEpoch);

}  // namespace kestrel
