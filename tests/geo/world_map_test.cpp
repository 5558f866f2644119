// The world map: its land, the projection and its zoom, shapes across the date line, and the SVG
// read back by a real XML parser.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <numbers>
#include <string>

#include "geo/world_map.h"
#include "geo/xml_text.h"
#include "platform/files.h"
#include "test_support.h"

namespace kestrel {
namespace {

// As the converter writes them: a triangle at the date line, and a square with a lake.
Bytes TwoShapeLand() {
  Bytes land = {'K', 'L', 'D', '1'};
  // Shapes, rings, points; rings in each shape; points in each ring; then each point's
  // longitude and latitude.
  const std::initializer_list<uint32_t> counts = {2, 3, 10, 1, 2, 3, 4, 3};
  for (const uint32_t count : counts)
    for (int shift = 0; shift < 32; shift += 8)
      land.push_back(static_cast<uint8_t>(count >> shift));
  for (const int value : {17900, 100, 18000, 100, 17950, 200, 100, 100, 400, 100,
                          400,   400, 100,   400, 200,   200, 300, 200, 300, 300}) {
    land.push_back(static_cast<uint8_t>(value & 0xFF));
    land.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
  }
  return land;
}

TEST(DecodeLand, ReadsShapesOfRingsAndRefusesDamagedBytes) {
  const LandOutlines land = DecodeLand(TwoShapeLand()).value();
  EXPECT_EQ(land.shapeStarts, (std::vector<size_t>{0, 1}));
  EXPECT_EQ(land.ringStarts, (std::vector<size_t>{0, 3, 7}));
  ASSERT_EQ(land.points.size(), 10u);
  EXPECT_EQ(std::pair(land.points[1].longitude, land.points[1].latitude), std::pair(180.0, 1.0));

  const std::pair<size_t, Bytes> damages[] = {
      {0, {'X'}},                     // tag
      {4, {0xFF, 0xFF, 0xFF, 0xFF}},  // a shape count the bytes cannot hold
      {16, {0}},                      // a shape of no ring
      {16, {2}},                      // shapes of more rings than there are
      {24, {2}},                      // a ring of two points
      {38, {0x29, 0x23}},             // latitude 90.01
      {40, {0xAF, 0xB9}}};            // longitude -180.01
  for (const auto& [at, bytes] : damages) {
    Bytes damaged = TwoShapeLand();
    std::copy(bytes.begin(), bytes.end(), damaged.begin() + static_cast<ptrdiff_t>(at));
    EXPECT_FALSE(DecodeLand(damaged)) << at;
  }
  Bytes longer = TwoShapeLand();
  longer.push_back(0);
  for (size_t size = 0; size < longer.size(); ++size) {
    if (size == longer.size() - 1) continue;  // the whole land
    EXPECT_FALSE(DecodeLand(std::span(longer).first(size))) << size;
  }
}

TEST(WorldLand, HoldsTheWholeWorldsCoasts) {
  const LandOutlines& land = WorldLand();
  EXPECT_GT(land.ringStarts.size(), 1000u);
  EXPECT_LT(land.ringStarts.size(), 5000u);
  EXPECT_GT(land.points.size(), 40000u);
  // Antarctica reaches the south pole's row and both ends of the map; nothing lies north of
  // Greenland's tip.
  const auto [south, north] =
      std::minmax_element(land.points.begin(), land.points.end(),
                          [](GeoPoint a, GeoPoint b) { return a.latitude < b.latitude; });
  const auto [west, east] =
      std::minmax_element(land.points.begin(), land.points.end(),
                          [](GeoPoint a, GeoPoint b) { return a.longitude < b.longitude; });
  EXPECT_EQ(south->latitude, -90);
  EXPECT_NEAR(north->latitude, 83.6, 0.1);
  EXPECT_EQ(std::pair(west->longitude, east->longitude), std::pair(-180.0, 180.0));
}

double TwiceArea(std::span<const PixelPoint> ring) {
  double sum = 0;
  for (size_t i = 0; i < ring.size(); ++i) {
    const PixelPoint a = ring[i], b = ring[(i + 1) % ring.size()];
    sum += a.x * b.y - b.x * a.y;
  }
  return sum;
}

double DistanceToSegment(PixelPoint p, PixelPoint a, PixelPoint b) {
  const double length = std::hypot(b.x - a.x, b.y - a.y);
  if (length == 0) return std::hypot(p.x - a.x, p.y - a.y);
  const double along = std::clamp(
      ((p.x - a.x) * (b.x - a.x) + (p.y - a.y) * (b.y - a.y)) / (length * length), 0.0, 1.0);
  return std::hypot(p.x - a.x - along * (b.x - a.x), p.y - a.y - along * (b.y - a.y));
}

// A wavy coast of a thousand points round a lake, and an island too small to draw: every coast
// point stays within the tolerance of the simplified outline, which keeps far fewer.
TEST(ProjectLand, SimplifiedCoastsStayWithinAFractionOfAPixel) {
  LandOutlines land{.points = {}, .ringStarts = {0, 1000, 1004}, .shapeStarts = {0, 2}};
  for (int i = 0; i < 1000; ++i) {
    const double angle = i * 2 * std::numbers::pi / 1000;
    const double radius = 10 + 0.5 * std::sin(7 * angle) + 0.01 * (i % 2);
    land.points.push_back({radius * std::sin(angle), radius * std::cos(angle)});
  }
  for (const GeoPoint corner : {GeoPoint{-1, -1}, {-1, 1}, {1, 1}, {1, -1}})
    land.points.push_back(corner);  // the lake
  for (const GeoPoint corner : {GeoPoint{50, 50}, {50.01, 50}, {50, 50.01}})
    land.points.push_back(corner);  // the island
  const double scale = 20;
  const ProjectedLand projected = ProjectLand(land, scale);
  ASSERT_EQ(projected.shapes.size(), 1u);
  EXPECT_EQ(projected.shapes[0].ringCount, 2u);
  const ProjectedLand::Ring coast = projected.rings[0];
  EXPECT_LT(coast.count, 200u);
  const auto outline = std::span(projected.points).subspan(coast.first, coast.count);
  for (size_t n = 0; n < 1000; ++n) {
    const PixelPoint point{(land.points[n].longitude + 180) * scale,
                           (90 - land.points[n].latitude) * scale};
    double nearest = INFINITY;
    for (size_t i = 0; i < outline.size(); ++i)
      nearest = std::min(nearest,
                         DistanceToSegment(point, outline[i], outline[(i + 1) % outline.size()]));
    EXPECT_LE(nearest, 0.4 + 1e-9) << n;
  }
  EXPECT_NEAR(projected.shapes[0].left, (170 - 0.5) * scale, 0.5 * scale);
  EXPECT_NEAR(projected.shapes[0].bottom, (100 + 0.5) * scale, 0.5 * scale);
}

// At world zoom the whole land keeps its area.
TEST(ProjectLand, WorldLandKeepsItsArea) {
  const LandOutlines& land = WorldLand();
  const double scale = 5;
  const ProjectedLand projected = ProjectLand(land, scale);
  EXPECT_LT(projected.points.size(), land.points.size() / 2);
  std::vector<PixelPoint> exact;
  for (const GeoPoint point : land.points)
    exact.push_back({(point.longitude + 180) * scale, (90 - point.latitude) * scale});
  double exactArea = 0, simplifiedArea = 0;
  for (size_t ring = 0; ring < land.ringStarts.size(); ++ring) {
    const size_t end = ring + 1 < land.ringStarts.size() ? land.ringStarts[ring + 1] : exact.size();
    exactArea += std::abs(
        TwiceArea(std::span(exact).subspan(land.ringStarts[ring], end - land.ringStarts[ring])));
  }
  for (const ProjectedLand::Ring& ring : projected.rings)
    simplifiedArea +=
        std::abs(TwiceArea(std::span(projected.points).subspan(ring.first, ring.count)));
  EXPECT_NEAR(simplifiedArea / exactArea, 1, 0.002);
}

TEST(MapView, WholeWorldFitsAndPixelsRoundTrip) {
  const MapView world = WholeWorldView(720, 400);
  EXPECT_EQ(world.pixelsPerDegree, 2);
  const GeoPoint corner = ToGeo(world, {0, 20});
  EXPECT_EQ(std::pair(corner.latitude, corner.longitude), std::pair(90.0, -180.0));

  const MapView views[] = {world,
                           {.centreLongitude = 179,
                            .centreLatitude = -40,
                            .pixelsPerDegree = 37.5,
                            .width = 1920,
                            .height = 1080},
                           {.centreLongitude = -3,
                            .centreLatitude = 51,
                            .pixelsPerDegree = 900,
                            .width = 333,
                            .height = 777}};
  for (const MapView& view : views) {
    for (const PixelPoint pixel : {PixelPoint{0, 0}, PixelPoint{view.width - 0.5, 17.25},
                                   PixelPoint{view.width / 3.0, view.height - 1.0}}) {
      const PixelPoint back = ToPixel(view, ToGeo(view, pixel));
      EXPECT_NEAR(back.x, pixel.x, 1e-6) << view.pixelsPerDegree;
      EXPECT_NEAR(back.y, pixel.y, 1e-6) << view.pixelsPerDegree;
    }
  }
}

TEST(MapView, ZoomKeepsThePointUnderThePointerAndStaysWithinLimits) {
  const MapView view{.centreLongitude = 170,
                     .centreLatitude = 10,
                     .pixelsPerDegree = 20,
                     .width = 1000,
                     .height = 600};
  const struct {
    PixelPoint anchor;
    double factor;
  } zooms[] = {{{990, 300}, 2}, {{10, 590}, 1.25}, {{500, 300}, 8}, {{123, 45}, 0.5}};
  for (const auto& zoom : zooms) {
    const MapView zoomed = ZoomAbout(view, zoom.anchor, zoom.factor);
    EXPECT_DOUBLE_EQ(zoomed.pixelsPerDegree, view.pixelsPerDegree * zoom.factor);
    const GeoPoint before = ToGeo(view, zoom.anchor);
    const GeoPoint after = ToGeo(zoomed, zoom.anchor);
    EXPECT_NEAR(after.latitude, before.latitude, 1e-9);
    EXPECT_NEAR(std::remainder(after.longitude - before.longitude, 360), 0, 1e-9);
  }
  EXPECT_EQ(ZoomAbout(view, {0, 0}, 1e-6).pixelsPerDegree,
            WholeWorldView(1000, 600).pixelsPerDegree);
  EXPECT_EQ(ZoomAbout(view, {0, 0}, 1e6).pixelsPerDegree, kMaxPixelsPerDegree);
  // Dragged far north, the view stops at the pole; dragged east round the world, it wraps.
  const MapView dragged = PanByPixels(view, 20 * 380, 1e6);
  EXPECT_DOUBLE_EQ(dragged.centreLatitude, 90 - 300 / 20.0);
  EXPECT_NEAR(dragged.centreLongitude, 170 - 380 + 360, 1e-9);
}

TEST(MapView, HomeShowsTheFootprintAtAThirdOfTheView) {
  MapContent content;
  EXPECT_EQ(HomeView(content, 800, 600).pixelsPerDegree, WholeWorldView(800, 600).pixelsPerDegree);
  Footprint footprint;
  footprint.corners = {GeoPoint{52, -8}, GeoPoint{52, 4}, GeoPoint{46, 4}, GeoPoint{46, -8}};
  content.footprint = footprint;
  const MapView home = HomeView(content, 800, 600);
  EXPECT_DOUBLE_EQ(home.pixelsPerDegree, 800 / 12.0 / 3);
  EXPECT_EQ(std::pair(home.centreLatitude, home.centreLongitude), std::pair(49.0, -2.0));
}

// Every 30 degrees over the whole world; finer when zoomed in, never closer than 120 pixels.
TEST(BuildMapScene, GraticuleGrowsFinerWithTheZoom) {
  const struct {
    double pixelsPerDegree;
    double step;
  } zooms[] = {{2, 30}, {5.4, 30}, {8, 15}, {13, 10}, {100, 2}, {1000, 0.25}};
  for (const auto& zoom : zooms) {
    const MapScene scene = BuildMapScene({.centreLongitude = 10,
                                          .pixelsPerDegree = zoom.pixelsPerDegree,
                                          .width = 1000,
                                          .height = 500},
                                         {});
    ASSERT_GE(scene.graticule.size(), 2u) << zoom.pixelsPerDegree;
    const MapSegment first = scene.graticule[0], second = scene.graticule[1];
    ASSERT_EQ(first.from.x, first.to.x);  // meridians first
    EXPECT_NEAR(second.from.x - first.from.x, zoom.step * scene.view.pixelsPerDegree, 1e-6)
        << zoom.pixelsPerDegree;
  }
}

// A pass northward over the date line from the Pacific, and its footprint astride the line.
MapContent DateLineContent() {
  MapContent content;
  for (int i = 0; i <= 120; ++i)
    content.track.push_back({-30 + 0.5 * i, 172 + 0.12 * i - (i > 66 ? 360 : 0)});
  content.subSatellitePoint = content.track[66];
  Footprint footprint;
  footprint.corners = {GeoPoint{12, 175}, GeoPoint{12, -175}, GeoPoint{0, -175}, GeoPoint{0, 175}};
  footprint.centre = {6, 180};
  content.footprint = footprint;
  content.placeLabel = "1200 km NorthEast of Suva";
  return content;
}

TEST(BuildMapScene, ShapesAcrossTheDateLineAreNeverDrawnAcrossTheMap) {
  const MapContent content = DateLineContent();
  const MapView world = WholeWorldView(1440, 720);
  const MapScene scene = BuildMapScene(world, content);
  // Cut at the map's edges: the track leaves on the right and comes back on the left.
  ASSERT_EQ(scene.trackLines.size(), 2u);
  ASSERT_EQ(scene.footprintOutlines.size(), 2u);
  for (const auto& lines : {scene.trackLines, scene.footprintOutlines})
    for (const auto& line : lines)
      for (size_t i = 1; i < line.size(); ++i) EXPECT_LT(std::abs(line[i].x - line[i - 1].x), 720);
  EXPECT_EQ(scene.landCopies.size(), 1u);
  EXPECT_EQ(scene.caveat, kFootprintCaveat);

  // Centred on the line, it is one stroke and one quadrilateral, with land on both sides.
  const MapView pacific =
      ClampView({.centreLongitude = 180, .pixelsPerDegree = 10, .width = 800, .height = 600});
  const MapScene across = BuildMapScene(pacific, content);
  ASSERT_EQ(across.trackLines.size(), 1u);
  ASSERT_EQ(across.footprintOutlines.size(), 1u);
  EXPECT_EQ(across.landCopies.size(), 2u);
  EXPECT_NEAR(across.footprintOutlines[0][1].x - across.footprintOutlines[0][0].x, 100, 1e-9);
  // Arrows point the way flown: north, and a little east.
  ASSERT_FALSE(across.arrows.empty());
  for (const MapArrow& arrow : across.arrows) EXPECT_LT(arrow.directionY, -0.9);
  EXPECT_EQ(across.markers.size(), 1u);
  ASSERT_TRUE(across.label);
  EXPECT_GT(across.label->anchor.x, across.markers[0].x);
}

TEST(BuildMapScene, FootprintRoundAPoleClosesAlongThePolesRow) {
  MapContent content;
  Footprint footprint;
  footprint.corners = {GeoPoint{85, 0}, GeoPoint{85, 90}, GeoPoint{85, 180}, GeoPoint{85, -90}};
  footprint.centre = {90, 0};
  content.footprint = footprint;
  const MapView world = WholeWorldView(720, 360);
  const MapScene scene = BuildMapScene(world, content);
  ASSERT_FALSE(scene.footprintOutlines.empty());
  for (const auto& outline : scene.footprintOutlines) {
    ASSERT_EQ(outline.size(), 7u);
    EXPECT_EQ(outline[5].y, scene.northEdge);
    EXPECT_EQ(outline[6].y, scene.northEdge);
    EXPECT_EQ(std::abs(outline[6].x - outline[5].x), 720);
  }
}

TEST(MapSvg, IsWellFormedXmlWhateverTheLabelHolds) {
  MapContent content = DateLineContent();
  content.placeLabel = "<Fiji> & \"Tonga\" 'x' \x01\xFF\xC3\xA9";
  const MapScene scene = BuildMapScene(
      ClampView({.centreLongitude = 180, .pixelsPerDegree = 8, .width = 640, .height = 480}),
      content);
  const std::string svg = MapSvg(scene);
  EXPECT_NE(svg.find("&lt;Fiji&gt; &amp; &quot;Tonga&quot; &apos;x&apos; &#xFF;\xC3\xA9"),
            std::string::npos);
  EXPECT_NE(svg.find(XmlText(kFootprintCaveat)), std::string::npos);

  testing::ScratchDir dir;
  const auto file = dir / "map.svg";
  ASSERT_TRUE(WriteFileReplacing(
      file, std::span(reinterpret_cast<const uint8_t*>(svg.data()), svg.size())));
  const std::string parse =
      "python3 -c 'import sys, xml.etree.ElementTree as tree; tree.parse(sys.argv[1])' '" +
      file.string() + "'";
  EXPECT_EQ(std::system(parse.c_str()), 0) << svg.substr(0, 2000);
}

}  // namespace
}  // namespace kestrel
