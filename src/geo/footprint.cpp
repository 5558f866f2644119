#include "geo/footprint.h"

#include <cmath>
#include <numbers>

#include "base/text.h"
#include "satfiles/identification.h"

namespace kestrel {
namespace {

constexpr double kDegree = std::numbers::pi / 180;

// WGS-84.
constexpr double kEquatorialRadiusM = 6378137.0;
constexpr double kFlattening = 1 / 298.257223563;
constexpr double kPolarRadiusM = kEquatorialRadiusM * (1 - kFlattening);

// A camera's nadir ground size at another height: the same field of view, seen from there.
constexpr double AtHeight(double km, double publishedHeightKm, double heightKm) {
  return km * heightKm / publishedHeightKm;
}

// Mean heights of the orbits, from perigee and apogee: KO-23 1304 x 1327 km (dk3wn.info,
// "KITSAT OSCAR 23 (KO-23)"); KITSAT-2 795 x 805 km (globalsecurity.org, "South Korea and
// Earth Observation Systems"); PoSAT-1 789 x 803 km (de.wikipedia.org, "PoSAT-1"); TMSAT-1
// 810 x 816 km (dk3wn.info, "Thai-OSCAR TO-31").
constexpr double kKo23HeightKm = 1315.5;
constexpr double kKitsat2HeightKm = 800;
constexpr double kPosat1HeightKm = 796;
constexpr double kTmsat1HeightKm = 813;

// The UoSat-5 camera's frame, 578 x 576 ("Hardware overview of the UoSAT-5 Earth imaging
// system", UoSAT technical information file TECH_INF.003); the naming rules give KITSAT-1's
// pictures the same 576 rows of 611 bytes.
constexpr double kFrameWidth = 578, kFrameHeight = 576;

// "Approximately 2 km resolution" (grokipedia.com, "UoSAT-5"), over the whole frame.
constexpr CameraGround kUo22{"UO-22 camera", 2.0 * kFrameWidth, 2.0 * kFrameHeight, false};
// 3.5 km (wide) and 400 m (narrow) resolution (dk3wn.info, "KITSAT OSCAR 23 (KO-23)").
constexpr CameraGround kKo23Wide{"KO-23 wide camera", 3.5 * kFrameWidth, 3.5 * kFrameHeight,
                                 false};
constexpr CameraGround kKo23Narrow{"KO-23 narrow camera", 0.4 * kFrameWidth,
                                   0.4 * kFrameHeight, false};
// 1232 x 1267 km at 2.2 km and 123 x 127 km at 220 m (de.wikipedia.org, "PoSAT-1"); at
// 2.2 km a pixel the longer side spans the 576 columns of a PoSAT picture.
constexpr CameraGround kPo28Wide{"PO-28 wide camera", 1267, 1232, false};
constexpr CameraGround kPo28Narrow{"PO-28 narrow camera", 127, 123, false};
// No figures found for KITSAT-2. Its narrow camera is taken as KITSAT-1's optics seen from
// KITSAT-2's height; its wide camera as covering what PoSAT-1's did, launched beside it into
// the same orbit.
constexpr CameraGround kKo25Wide{"KO-25 wide camera",
                                 AtHeight(1267, kPosat1HeightKm, kKitsat2HeightKm),
                                 AtHeight(1232, kPosat1HeightKm, kKitsat2HeightKm), true};
constexpr CameraGround kKo25Narrow{
    "KO-25 narrow camera", AtHeight(kKo23Narrow.acrossKm, kKo23HeightKm, kKitsat2HeightKm),
    AtHeight(kKo23Narrow.alongKm, kKo23HeightKm, kKitsat2HeightKm), true};
// No figure found for the TMSAT-1 wide camera: taken as PoSAT-1's seen from TMSAT-1's height.
constexpr CameraGround kTo31Wide{"TO-31 wide camera",
                                 AtHeight(1267, kPosat1HeightKm, kTmsat1HeightKm),
                                 AtHeight(1232, kPosat1HeightKm, kTmsat1HeightKm), true};
// 1020 x 1020 pixels covering 100 x 100 km (om3ktr.sk, "Thai-MicroSat-OSCAR 31").
constexpr CameraGround kTo31Narrow{"TO-31 narrow multispectral camera", 100, 100, false};

enum class Camera { Unknown, Wide, Narrow };

// The raw image names say the camera through their kind; the pictures made from them
// (thumbnails, decoded and compressed files, bitmaps) keep the camera's character in the same
// place: TMSAT-1's third (0 wide, 1 to 3 the narrow planes), the others' fourth (W or N).
Camera CameraOfName(std::string_view upperName, const NameMeaning& meaning) {
  switch (meaning.kind) {
    case FileKind::WideAngleImage: return Camera::Wide;
    case FileKind::NarrowAngleImage:
    case FileKind::SpectralPlane: return Camera::Narrow;
    case FileKind::Video:
    case FileKind::Unknown: return Camera::Unknown;
    default: break;
  }
  const bool tmsat = meaning.satellite == Satellite::Tmsat1;
  const size_t at = tmsat ? 2 : 3;
  const char c = upperName.size() > at ? upperName[at] : '\0';
  if (tmsat)
    return c == '0' ? Camera::Wide : c >= '1' && c <= '3' ? Camera::Narrow : Camera::Unknown;
  return c == 'W' ? Camera::Wide : c == 'N' ? Camera::Narrow : Camera::Unknown;
}

double NormalisedLongitude(double degrees) {
  const double wrapped = std::remainder(degrees, 360.0);
  return wrapped == -180 ? 180 : wrapped;
}

}  // namespace

std::optional<CameraGround> CameraGroundFor(std::string_view fileName) {
  const std::string name = ToUpperAscii(fileName);
  const NameMeaning meaning = MeaningOfName(name);
  // UoSat-5 carried one camera: every picture of it is that camera's.
  if (meaning.satellite == Satellite::UoSat5 && meaning.kind != FileKind::Unknown) return kUo22;
  const Camera camera = CameraOfName(name, meaning);
  if (camera == Camera::Unknown) return std::nullopt;
  const bool wide = camera == Camera::Wide;
  switch (meaning.satellite) {
    case Satellite::Kitsat1: return wide ? kKo23Wide : kKo23Narrow;
    case Satellite::Kitsat2: return wide ? kKo25Wide : kKo25Narrow;
    case Satellite::Posat1: return wide ? kPo28Wide : kPo28Narrow;
    case Satellite::Tmsat1: return wide ? kTo31Wide : kTo31Narrow;
    case Satellite::UoSat5:
    case Satellite::Unknown: break;
  }
  return std::nullopt;
}

// Vincenty's direct solution (Survey Review, 1975): the auxiliary sphere's arc is found by
// iteration, which converges for every distance and azimuth (unlike the inverse problem).
GeoPoint GeodesicDestination(GeoPoint from, double azimuthDegrees, double distanceKm) {
  constexpr double f = kFlattening, a = kEquatorialRadiusM, b = kPolarRadiusM;
  const double alpha1 = azimuthDegrees * kDegree;
  const double sinAlpha1 = std::sin(alpha1), cosAlpha1 = std::cos(alpha1);
  // The reduced latitude and the arc from the equator through sines and cosines, not
  // tangents, so that a start on a pole stays finite.
  const double phi1 = from.latitude * kDegree;
  const double u1 = std::atan2((1 - f) * std::sin(phi1), std::cos(phi1));
  const double sinU1 = std::sin(u1), cosU1 = std::cos(u1);
  const double sigma1 = std::atan2(sinU1, cosU1 * cosAlpha1);
  const double sinAlpha = cosU1 * sinAlpha1;
  const double cosSqAlpha = 1 - sinAlpha * sinAlpha;
  const double uSq = cosSqAlpha * (a * a - b * b) / (b * b);
  const double bigA = 1 + uSq / 16384 * (4096 + uSq * (-768 + uSq * (320 - 175 * uSq)));
  const double bigB = uSq / 1024 * (256 + uSq * (-128 + uSq * (74 - 47 * uSq)));

  const double sigmaFirst = distanceKm * 1000 / (b * bigA);
  double sigma = sigmaFirst, sinSigma = 0, cosSigma = 1, cos2SigmaM = 1;
  // 1e-12 rad of arc is 6 µm on the ground; the loop ends in a handful of steps.
  for (int step = 0; step < 100; ++step) {
    cos2SigmaM = std::cos(2 * sigma1 + sigma);
    sinSigma = std::sin(sigma);
    cosSigma = std::cos(sigma);
    const double c2 = cos2SigmaM * cos2SigmaM;
    const double deltaSigma =
        bigB * sinSigma *
        (cos2SigmaM + bigB / 4 *
                          (cosSigma * (-1 + 2 * c2) -
                           bigB / 6 * cos2SigmaM * (-3 + 4 * sinSigma * sinSigma) * (-3 + 4 * c2)));
    const double next = sigmaFirst + deltaSigma;
    const bool converged = std::fabs(next - sigma) < 1e-12;
    sigma = next;
    if (converged) break;
  }
  cos2SigmaM = std::cos(2 * sigma1 + sigma);
  sinSigma = std::sin(sigma);
  cosSigma = std::cos(sigma);

  const double term = sinU1 * sinSigma - cosU1 * cosSigma * cosAlpha1;
  const double phi2 = std::atan2(sinU1 * cosSigma + cosU1 * sinSigma * cosAlpha1,
                                 (1 - f) * std::hypot(sinAlpha, term));
  const double lambda =
      std::atan2(sinSigma * sinAlpha1, cosU1 * cosSigma - sinU1 * sinSigma * cosAlpha1);
  const double c = f / 16 * cosSqAlpha * (4 + f * (4 - 3 * cosSqAlpha));
  const double l =
      lambda -
      (1 - c) * f * sinAlpha *
          (sigma + c * sinSigma * (cos2SigmaM + c * cosSigma * (-1 + 2 * cos2SigmaM * cos2SigmaM)));
  return {phi2 / kDegree, NormalisedLongitude(from.longitude + l / kDegree)};
}

// A nadir camera's view of any pixel lies in the plane through the nadir ray and that pixel's
// ray, and that plane holds the Earth's centre: so each corner lies on the geodesic that leaves
// the centre at the corner's angle in the picture, at the half diagonal of the ground size.
// Going along and then across instead would bend the sides by the convergence of meridians.
Footprint FootprintOf(GeoPoint centre, double headingDegrees, const CameraGround& ground,
                      int quarterTurnsClockwise) {
  const double halfAcross = ground.acrossKm / 2, halfAlong = ground.alongKm / 2;
  const double halfDiagonalKm = std::hypot(halfAcross, halfAlong);
  const double cornerAngle = std::atan2(halfAcross, halfAlong) / kDegree;
  // Top-left, top-right, bottom-right, bottom-left of the picture as taken: its top toward
  // the heading, its right-hand side a quarter turn clockwise from it, as on a map seen from
  // above.
  const std::array<double, 4> azimuths = {
      headingDegrees - cornerAngle, headingDegrees + cornerAngle,
      headingDegrees + 180 - cornerAngle, headingDegrees + 180 + cornerAngle};
  std::array<GeoPoint, 4> taken;
  for (size_t i = 0; i < taken.size(); ++i)
    taken[i] = GeodesicDestination(centre, azimuths[i], halfDiagonalKm);
  // Each clockwise turn brings the corner that was a place anticlockwise to the shown one:
  // after one turn the shown top-left pixel was the bottom-left.
  const size_t turns = static_cast<size_t>(((quarterTurnsClockwise % 4) + 4) % 4);
  Footprint footprint{.corners = {}, .centre = centre, .ground = ground};
  for (size_t shown = 0; shown < 4; ++shown)
    footprint.corners[shown] = taken[(shown + 4 - turns) % 4];
  return footprint;
}

}  // namespace kestrel
