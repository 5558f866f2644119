#include "geo/footprint.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace kestrel {
namespace {

constexpr double kEquatorKmPerDegree = 6378.137 * std::numbers::pi / 180;

TEST(GeodesicDestination, MatchesPublishedSolutionsAndExactArcs) {
  struct Case {
    const char* what;
    GeoPoint from;
    double azimuth, km;
    GeoPoint to;
    double tolerance;  // degrees
  } const cases[] = {
      // Karney, "Algorithms for geodesics" (J. Geodesy, 2013): the worked direct problem.
      {"Karney", {40, 0}, 30, 10000, {41.79331020506, 137.84490004377}, 1e-9},
      // Geoscience Australia's worked example of Vincenty's formulae (GRS80, within a micron
      // of WGS-84 here), Flinders Peak to Buninyong, its d°m's" in degrees; the azimuth is
      // given to 0.01", some 3 mm.
      {"Flinders Peak", {-37.951033417, 144.424867889}, 306.868158333, 54.972271,
       {-37.652821139, 143.926495528}, 1e-7},
      // The equator is a geodesic; the meridian quadrant of WGS-84 is 10 001 965.729 m.
      {"across 180", {0, 179.5}, 90, 200, {0, 179.5 + 200 / kEquatorKmPerDegree - 360}, 1e-9},
      {"to the pole", {0, 20}, 0, 10001.965729, {90, 20}, 1e-8},
      // From a pole, the azimuth counts from the meridian of the given longitude.
      {"from the pole", {-90, 10}, 30, 10001.965729, {0, 40}, 1e-8},
  };
  for (const Case& c : cases) {
    const GeoPoint to = GeodesicDestination(c.from, c.azimuth, c.km);
    EXPECT_NEAR(to.latitude, c.to.latitude, c.tolerance) << c.what;
    EXPECT_TRUE(to.longitude >= -180 && to.longitude <= 180) << c.what;
    // On a pole every longitude is the same point.
    if (std::fabs(c.to.latitude) < 90) {
      EXPECT_NEAR(std::remainder(to.longitude - c.to.longitude, 360), 0, c.tolerance) << c.what;
    }
  }
}

const CameraGround kOblong{"test camera", 600, 1000, false};

TEST(FootprintOf, LaysThePictureTopTowardTheHeading) {
  struct Case {
    double heading;
    int topLeftNorth, topLeftEast;  // signs of the top-left corner's offset from the centre
  } const cases[] = {{0, 1, -1}, {90, 1, 1}, {180, -1, 1}, {270, -1, -1}};
  for (const Case& c : cases) {
    const Footprint f = FootprintOf({0, 30}, c.heading, kOblong, 0);
    const auto& [topLeft, topRight, bottomRight, bottomLeft] = f.corners;
    EXPECT_EQ(topLeft.latitude > 0 ? 1 : -1, c.topLeftNorth) << c.heading;
    EXPECT_EQ(topLeft.longitude > 30 ? 1 : -1, c.topLeftEast) << c.heading;
    // On the equator the corners mirror one another about the centre.
    EXPECT_NEAR(topLeft.latitude, -bottomRight.latitude, 1e-9) << c.heading;
    EXPECT_NEAR(topRight.longitude - 30, 30 - bottomLeft.longitude, 1e-9) << c.heading;
  }
  // Heading north the sides run along meridians, the along size between top and bottom.
  const Footprint north = FootprintOf({0, 30}, 0, kOblong, 0);
  EXPECT_NEAR(north.corners[0].latitude, 500 / 110.574, 0.02);
  EXPECT_NEAR(north.corners[1].longitude - 30, 300 / kEquatorKmPerDegree, 0.02);
}

TEST(FootprintOf, StaysInRangeAcrossTheAntimeridianAndOverAPole) {
  const Footprint across = FootprintOf({-5, 179.8}, 350, kOblong, 0);
  for (size_t i = 0; i < 4; ++i) {
    const bool right = i == 1 || i == 2;  // the right-hand corners lie past 180
    EXPECT_TRUE(right ? across.corners[i].longitude < -170 : across.corners[i].longitude > 170);
  }
  // 100 km from the pole, heading north, the top corners lie on the far side of it.
  const Footprint polar = FootprintOf({89.1, 0}, 0, kOblong, 0);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_TRUE(polar.corners[i].latitude > 83 && polar.corners[i].latitude <= 90) << i;
    EXPECT_EQ(std::fabs(polar.corners[i].longitude) > 90, i < 2) << i;
  }
}

TEST(FootprintOf, QuarterTurnsMoveTheCornersWithThePicture) {
  const auto turned = [](int turns) { return FootprintOf({51, -1}, 20, kOblong, turns).corners; };
  const auto expectSame = [](const auto& a, const auto& b, size_t shift, const char* what) {
    for (size_t i = 0; i < 4; ++i) {
      EXPECT_DOUBLE_EQ(a[i].latitude, b[(i + 4 - shift) % 4].latitude) << what;
      EXPECT_DOUBLE_EQ(a[i].longitude, b[(i + 4 - shift) % 4].longitude) << what;
    }
  };
  expectSame(turned(4), turned(0), 0, "four turns");
  expectSame(turned(-1), turned(3), 0, "one back, three on");
  expectSame(turned(-6), turned(2), 0, "six back, two on");
  // One clockwise turn: the shown top-left pixel was the bottom-left, and so on round.
  expectSame(turned(1), turned(0), 1, "one turn");
}

TEST(CameraGroundFor, TellsTheCameraByNameAndKind) {
  struct Case {
    const char* name;
    const char* camera;  // none when null
    double acrossKm;
    bool estimate;
  } const cases[] = {
      {"IMT00125", "UO-22 camera", 1156, false},  // its only camera: its thumbnails too
      {"kaiw0002", "KO-23 wide camera", 2023, false},
      {"KADN0006", "KO-23 narrow camera", 231.2, false},  // decoded, the camera in its name
      {"KAE00007", nullptr, 0, false},                    // the camera not told
      {"KBTN0009", "KO-25 narrow camera", 140.6, true},
      {"TM000100.IMT", "TO-31 wide camera", 1294, true},
      {"TM300300.IMI", "TO-31 narrow multispectral camera", 100, false},
      {"TM400400.IMI", nullptr, 0, false},  // the video camera
  };
  for (const Case& c : cases) {
    const auto ground = CameraGroundFor(c.name);
    ASSERT_EQ(ground.has_value(), c.camera != nullptr) << c.name;
    if (!ground) continue;
    EXPECT_EQ(ground->camera, c.camera);
    EXPECT_NEAR(ground->acrossKm, c.acrossKm, 1) << c.name;
    EXPECT_EQ(ground->estimate, c.estimate) << c.name;
  }
}

}  // namespace
}  // namespace kestrel
