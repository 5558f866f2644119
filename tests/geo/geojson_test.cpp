#include "geo/geojson.h"

#include <gtest/gtest.h>

#include <fstream>

#include "run_python.h"
#include "test_support.h"

namespace kestrel {
namespace {

// json.load, then what RFC 7946 asks: closed counter-clockwise rings within range, the parts
// of a cut footprint meeting at the same latitudes on both sides of 180, and every corner
// given as an argument among the vertices.
constexpr const char* kCheckFeature = R"(
import json, sys
feature = json.load(open(sys.argv[1]))
geometry, vertices, cut = feature['geometry'], [], {180: [], -180: []}
polygons = [geometry['coordinates']] if geometry['type'] == 'Polygon' else geometry['coordinates']
for [ring] in polygons:
    assert len(ring) >= 4 and ring[0] == ring[-1], 'open ring'
    assert sum(p[0] * q[1] - q[0] * p[1] for p, q in zip(ring, ring[1:])) > 0, 'clockwise'
    assert all(-180 <= lon <= 180 and -90 <= lat <= 90 for lon, lat in ring), 'out of range'
    for lon, lat in ring[1:]:
        if abs(lon) == 180: cut[lon].append(lat)
    vertices += ring
assert sorted(cut[180]) == sorted(cut[-180]), 'the parts do not meet at 180'
for lon, lat in (map(float, corner.split(',')) for corner in sys.argv[2:]):
    assert any(abs(v[1] - lat) < 1e-6 and abs((v[0] - lon + 180) % 360 - 180) < 1e-6
               for v in vertices), 'a corner is missing'
properties = feature['properties']
assert feature['type'] == 'Feature' and properties['approximate'].startswith('Approximate')
print(geometry['type'], len(polygons), properties.get('file'), properties['camera'])
)";

TEST(FootprintGeoJson, IsAValidFeatureCutAtTheAntimeridian) {
  struct Case {
    GeoPoint centre;
    double heading;
    const char* properties;
    const char* summary;
  } const cases[] = {
      {{0, 30}, 0, R"({"file":"K\u00e9\"<", "n":[1,{"a":null}]})", "Polygon 1 Ké\"< KO-23 wide"},
      {{-40, -70}, 200, "", "Polygon 1 None KO-23 wide"},
      {{-5, 179.8}, 350, "{ }", "MultiPolygon 2 None KO-23 wide"},
      {{60, -178}, 100, R"({"file":"P1"})", "MultiPolygon 2 P1 KO-23 wide"},
      {{89.5, 40}, 0, "{}", "Polygon 1 None KO-23 wide"},  // around the pole
      {{-89, -120}, 75, "{}", "Polygon 1 None KO-23 wide"},
  };
  for (const Case& c : cases) {
    testing::ScratchDir dir;
    const Footprint footprint = FootprintOf(c.centre, c.heading, {"KO-23 wide", 1e3, 1e3}, 1);
    std::ofstream(dir / "footprint.json") << FootprintGeoJson(footprint, c.properties);
    std::vector<std::string> corners;
    for (const GeoPoint& p : footprint.corners)
      corners.push_back(std::to_string(p.longitude) + "," + std::to_string(p.latitude));
    EXPECT_EQ(testing::RunPythonOn(kCheckFeature, dir / "footprint.json", corners),
              std::string(c.summary) + "\n");
    const auto tool = testing::Python() + " -m json.tool " + (dir / "footprint.json").string();
    EXPECT_EQ(std::system((tool + " >/dev/null").c_str()), 0);
  }
}

}  // namespace
}  // namespace kestrel
