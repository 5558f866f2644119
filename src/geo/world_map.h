#pragma once
// The world map: Natural Earth's land on an equirectangular projection, with what is known of
// a picture drawn over it (its footprint, the ground track, the sub-satellite point and the
// nearest place). A scene holds everything in the pixels of one view, so that the window, the
// saved PNG and the SVG draw the very same map. Longitudes wrap: a view across the date line
// shows the land, footprint and track on both sides of it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "geo/footprint.h"

namespace kestrel {

// The land: islands and continents, each one shape of one or more rings (its coast, and the
// coasts of the lakes in it), filled by the even-odd rule. Every ring lies within -180 … 180.
struct LandOutlines {
  std::vector<GeoPoint> points;     // ring after ring, each closed implicitly
  std::vector<size_t> ringStarts;   // the index of each ring's first point
  std::vector<size_t> shapeStarts;  // the index of each shape's first ring
};

// Land in the compiled-in layout (resources/map/land.bin); none when the bytes are not such
// outlines.
std::optional<LandOutlines> DecodeLand(std::span<const uint8_t> bytes);
// The compiled-in land, decoded on first use from whichever thread asks first.
const LandOutlines& WorldLand();

struct PixelPoint {
  double x = 0, y = 0;
};

// What a map shows: the point at its centre, its scale and its size in pixels.
struct MapView {
  double centreLongitude = 0, centreLatitude = 0;  // degrees
  double pixelsPerDegree = 1;
  int width = 1, height = 1;
};

inline constexpr int kMaxMapSide = 16384;
inline constexpr double kMaxPixelsPerDegree = 1000;  // about 110 m a pixel, past the land's detail

// The view made sensible: sides 1 … kMaxMapSide, zoomed out no further than the whole world
// and in no further than kMaxPixelsPerDegree, the centre's longitude in -180 … 180 and its
// latitude kept so that no more than needs be lies beyond the poles.
MapView ClampView(MapView view);
// The whole world, as large as it fits.
MapView WholeWorldView(int width, int height);
// Zoomed by `factor` (above 1: in) keeping the point under `anchor` where it is, as far as the
// limits allow.
MapView ZoomAbout(const MapView& view, PixelPoint anchor, double factor);
// The map moved `dx`, `dy` pixels with the pointer that drags it.
MapView PanByPixels(const MapView& view, double dx, double dy);

// Where `point` is drawn: of its copies round the world, the one nearest the view's centre.
PixelPoint ToPixel(const MapView& view, GeoPoint point);
// The point drawn at `pixel`, its longitude in -180 … 180. Beyond the poles the latitude goes
// past ±90.
GeoPoint ToGeo(const MapView& view, PixelPoint pixel);

// The land at one zoom, in pixels from the map's top-left corner (180° W, 90° N): a pan only
// moves the view over it. Each coast keeps just the points that move it by more than 0.4 pixel;
// rings that shrink below three points are left out.
struct ProjectedLand {
  struct Ring {
    size_t first = 0, count = 0;  // points
  };
  struct Shape {
    size_t firstRing = 0, ringCount = 0;
    double left = 0, top = 0, right = 0, bottom = 0;  // bounds
  };
  double pixelsPerDegree = 0;
  std::vector<PixelPoint> points;
  std::vector<Ring> rings;
  std::vector<Shape> shapes;
};
ProjectedLand ProjectLand(const LandOutlines& land, double pixelsPerDegree);

// The world's land projected at the zoom last asked for, kept while the zoom stays.
class LandProjectionCache {
 public:
  std::shared_ptr<const ProjectedLand> At(double pixelsPerDegree);

 private:
  std::shared_ptr<const ProjectedLand> land_;
};

// What the map shows over the land. Any part may be missing.
struct MapContent {
  std::optional<Footprint> footprint;
  std::vector<GeoPoint> track;  // in the order flown
  std::optional<GeoPoint> subSatellitePoint;
  std::string placeLabel;  // shown beside the sub-satellite point, else the footprint's centre
};

// The footprint at a good size with room around it; the whole world without one.
MapView HomeView(const MapContent& content, int width, int height);

struct MapSegment {
  PixelPoint from, to;
};
// An arrowhead on the track: its tip and the unit direction of flight there.
struct MapArrow {
  PixelPoint tip;
  double directionX = 0, directionY = 0;
};
// The arrowhead's corners: its tip, then the two ends of its base.
std::array<PixelPoint, 3> ArrowheadCorners(const MapArrow& arrow);

struct MapLabel {
  PixelPoint anchor;  // the left end of the text's baseline, or its right end
  std::string text;
  bool endsAtAnchor = false;  // near the right edge the text goes to the point's left
};

// Everything drawn on one view, in its pixels, in drawing order. Shapes that a copy of the world
// beside the first brings into view are listed once per copy.
struct MapScene {
  MapView view;
  double northEdge = 0, southEdge = 0;  // the rows of the poles; beyond them is off the map
  std::vector<MapSegment> graticule;    // over the sea, under the land
  std::shared_ptr<const ProjectedLand> land;
  // Each copy of the land in view: where its top-left corner goes, and its shapes in view.
  struct LandCopy {
    PixelPoint origin;
    std::vector<size_t> shapes;
  };
  std::vector<LandCopy> landCopies;
  std::vector<std::vector<PixelPoint>> footprintOutlines;
  std::vector<std::vector<PixelPoint>> trackLines;
  std::vector<MapArrow> arrows;
  std::vector<PixelPoint> markers;  // the sub-satellite point
  std::optional<MapLabel> label;
  std::string caveat;  // kFootprintCaveat whenever there is a footprint
};

// The scene of `content` on `view` (clamped first), over land projected through `cache`.
MapScene BuildMapScene(const MapView& view, const MapContent& content, LandProjectionCache& cache);
// The same, projecting the land afresh.
MapScene BuildMapScene(const MapView& view, const MapContent& content);

// The colours every drawing of the map uses, as 0xAARRGGBB.
namespace map_colour {
inline constexpr uint32_t kOffMap = 0xFFD6D6D6;
inline constexpr uint32_t kOcean = 0xFFAACBE4;
inline constexpr uint32_t kLand = 0xFFEEE8D2;
inline constexpr uint32_t kGraticule = 0xFFD4E5F2;
inline constexpr uint32_t kFootprintFill = 0x40E0301E;
inline constexpr uint32_t kFootprintLine = 0xFFC0281A;
inline constexpr uint32_t kTrack = 0xFF1F4E96;
inline constexpr uint32_t kMarker = 0xFFFFD400;
inline constexpr uint32_t kText = 0xFF202020;
inline constexpr uint32_t kTextHalo = 0xD0FFFFFF;
}  // namespace map_colour

// Sizes in pixels shared by every drawing of the map.
namespace map_style {
inline constexpr double kTrackWidth = 2;
inline constexpr double kFootprintLineWidth = 1.5;
inline constexpr double kArrowLength = 11;
inline constexpr double kArrowHalfWidth = 5;
inline constexpr double kMarkerRadius = 5;
inline constexpr double kLabelFontSize = 14;
inline constexpr double kCaveatFontSize = 12;
inline constexpr double kCaveatBandHeight = 22;
}  // namespace map_style

// The scene as a standalone SVG document.
std::string MapSvg(const MapScene& scene);

}  // namespace kestrel
