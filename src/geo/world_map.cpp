#include "geo/world_map.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "base/block.h"
#include "base/text.h"
#include "geo/xml_text.h"

namespace kestrel {

// The land's bytes, compiled in from resources/map/land.bin (src/embed_bytes.cmake).
extern const unsigned char kWorldLandBytes[];
extern const size_t kWorldLandSize;

namespace {

// Layout: tag, u32 shape count S, u32 ring count R, u32 point count P, S x u32 rings in each
// shape, R x u32 points in each ring, then P x (i16 longitude, i16 latitude) in 1/100 degree,
// ring after ring.
constexpr std::array<uint8_t, 4> kLandTag = {'K', 'L', 'D', '1'};
constexpr size_t kShapeCountAt = 4;
constexpr size_t kRingCountAt = 8;
constexpr size_t kPointCountAt = 12;
constexpr size_t kCountsAt = 16;
constexpr size_t kCountBytes = 4;
constexpr size_t kPointBytes = 4;
constexpr double kUnitsPerDegree = 100;

// Land drawn within this many pixels of its outline looks no different.
constexpr double kLandTolerance = 0.4;
// Never so far out that the world shows more than twice across.
constexpr double kMostTurnsInView = 2;
// Graticule steps in degrees, coarsest first: the finest whose lines lie this far apart.
constexpr double kGraticuleSteps[] = {30, 15, 10, 5, 2, 1, 0.5, 0.25, 0.1};
constexpr double kGraticuleSpacing = 120;
constexpr double kArrowSpacing = 150;
// Shapes this near the view's edge still count as in it: strokes and markers reach over.
constexpr double kViewMargin = 16;
// Home shows the footprint across about a third of the view.
constexpr double kHomeFootprintShare = 1.0 / 3;
constexpr double kLeastHomeSpanDegrees = 0.01;
// A letter's width as a share of the font's size, on average.
constexpr double kLetterWidth = 0.6;

int16_t LoadI16(const uint8_t* p) { return static_cast<int16_t>(LoadU16(p)); }

// Degrees into -180 … 180.
double Wrap180(double degrees) { return degrees - 360 * std::floor((degrees + 180) / 360); }

// The longitudes the view spans, unwrapped around its centre, and the latitudes.
struct ViewBounds {
  double west, east, south, north;
};

ViewBounds BoundsOf(const MapView& view) {
  const double halfWidth = view.width / 2.0 / view.pixelsPerDegree;
  const double halfHeight = view.height / 2.0 / view.pixelsPerDegree;
  return {view.centreLongitude - halfWidth, view.centreLongitude + halfWidth,
          view.centreLatitude - halfHeight, view.centreLatitude + halfHeight};
}

// A point in the view's pixels, its longitude taken as it is (not wrapped).
PixelPoint Place(const MapView& view, double longitude, double latitude) {
  return {view.width / 2.0 + (longitude - view.centreLongitude) * view.pixelsPerDegree,
          view.height / 2.0 - (latitude - view.centreLatitude) * view.pixelsPerDegree};
}

bool NearView(const MapView& view, double left, double top, double right, double bottom) {
  return right >= -kViewMargin && left <= view.width + kViewMargin && bottom >= -kViewMargin &&
         top <= view.height + kViewMargin;
}

bool NearView(const MapView& view, PixelPoint point) {
  return NearView(view, point.x, point.y, point.x, point.y);
}

double LeastPixelsPerDegree(int width, int height) {
  return std::max(std::min(width / 360.0, height / 180.0), width / (360 * kMostTurnsInView));
}

// Each longitude moved by whole turns to lie within half a turn of the one before it, so that
// no step between neighbours crosses the date line the long way round.
std::vector<GeoPoint> Unwrapped(std::span<const GeoPoint> points) {
  std::vector<GeoPoint> unwrapped(points.begin(), points.end());
  for (size_t i = 1; i < unwrapped.size(); ++i)
    unwrapped[i].longitude =
        unwrapped[i - 1].longitude + Wrap180(points[i].longitude - unwrapped[i - 1].longitude);
  return unwrapped;
}

// The footprint's outline, unwrapped from its first corner. Round a pole the corners turn once
// round the world, so the outline closes along the pole's row, as the projection shows it.
std::vector<GeoPoint> FootprintOutline(const Footprint& footprint) {
  std::vector<GeoPoint> outline = Unwrapped(footprint.corners);
  const GeoPoint first = outline.front();
  const double closing =
      outline.back().longitude + Wrap180(first.longitude - outline.back().longitude);
  if (std::abs(closing - first.longitude) > 180) {
    const double pole = footprint.centre.latitude >= 0 ? 90 : -90;
    outline.push_back({first.latitude, closing});
    outline.push_back({pole, closing});
    outline.push_back({pole, first.longitude});
  }
  return outline;
}

struct LongitudeSpan {
  double west, east;
};

LongitudeSpan SpanOf(std::span<const GeoPoint> points) {
  const auto [west, east] =
      std::minmax_element(points.begin(), points.end(),
                          [](GeoPoint a, GeoPoint b) { return a.longitude < b.longitude; });
  return {west->longitude, east->longitude};
}

// The whole turns by which copies of something spanning `span` come into view, or within
// `margin` pixels of it.
std::vector<double> CopyShifts(const MapView& view, LongitudeSpan span, double margin) {
  const ViewBounds bounds = BoundsOf(view);
  const double reach = margin / view.pixelsPerDegree;
  std::vector<double> shifts;
  for (double turn = std::floor((bounds.west - reach - span.east) / 360) + 1;
       turn < (bounds.east + reach - span.west) / 360; ++turn)
    shifts.push_back(360 * turn);
  return shifts;
}

// One copy of every shape in `points` that comes into view.
std::vector<std::vector<PixelPoint>> ProjectCopies(const MapView& view,
                                                   std::span<const GeoPoint> unwrapped) {
  std::vector<std::vector<PixelPoint>> copies;
  if (unwrapped.empty()) return copies;
  for (const double shift : CopyShifts(view, SpanOf(unwrapped), kViewMargin)) {
    std::vector<PixelPoint> copy;
    copy.reserve(unwrapped.size());
    for (const GeoPoint point : unwrapped)
      copy.push_back(Place(view, point.longitude + shift, point.latitude));
    copies.push_back(std::move(copy));
  }
  return copies;
}

// The finest step whose lines lie at least kGraticuleSpacing apart; the coarsest when none do.
double GraticuleStep(double pixelsPerDegree) {
  double step = kGraticuleSteps[0];
  for (const double degrees : kGraticuleSteps)
    if (degrees * pixelsPerDegree >= kGraticuleSpacing) step = degrees;
  return step;
}

std::vector<MapSegment> Graticule(const MapView& view, double northEdge, double southEdge) {
  const double degrees = GraticuleStep(view.pixelsPerDegree);
  const ViewBounds bounds = BoundsOf(view);
  const double top = std::max(0.0, northEdge);
  const double bottom = std::min(static_cast<double>(view.height), southEdge);
  std::vector<MapSegment> lines;
  for (double n = std::ceil(bounds.west / degrees); n <= std::floor(bounds.east / degrees); ++n) {
    const double x = Place(view, n * degrees, 0).x;
    lines.push_back({{x, top}, {x, bottom}});
  }
  // The poles' rows are the map's edge, not lines on it.
  for (double n = std::floor(std::max(bounds.south, -90.0) / degrees) + 1;
       n * degrees < std::min(bounds.north, 90.0); ++n) {
    const double y = Place(view, 0, n * degrees).y;
    lines.push_back({{0, y}, {static_cast<double>(view.width), y}});
  }
  return lines;
}

// Arrowheads every kArrowSpacing pixels along the line, pointing the way it runs.
void AddArrows(const MapView& view, const std::vector<PixelPoint>& line,
               std::vector<MapArrow>& arrows) {
  double walked = 0;
  double nextArrow = kArrowSpacing / 2;
  for (size_t i = 1; i < line.size(); ++i) {
    const double dx = line[i].x - line[i - 1].x;
    const double dy = line[i].y - line[i - 1].y;
    const double length = std::hypot(dx, dy);
    if (length == 0) continue;
    for (; nextArrow <= walked + length; nextArrow += kArrowSpacing) {
      const double along = (nextArrow - walked) / length;
      const PixelPoint tip{line[i - 1].x + along * dx, line[i - 1].y + along * dy};
      if (NearView(view, tip)) arrows.push_back({tip, dx / length, dy / length});
    }
    walked += length;
  }
}

double SquaredDistance(PixelPoint a, PixelPoint b) {
  return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y);
}

double SquaredDistanceToSegment(PixelPoint point, PixelPoint from, PixelPoint to) {
  const double length = SquaredDistance(from, to);
  const double dx = to.x - from.x;
  const double dy = to.y - from.y;
  const double along =
      length == 0
          ? 0
          : std::clamp(((point.x - from.x) * dx + (point.y - from.y) * dy) / length, 0.0, 1.0);
  return SquaredDistance(point, {from.x + along * dx, from.y + along * dy});
}

// Douglas and Peucker's simplification of closed rings: a point stays only where leaving it out
// would move the outline more than kLandTolerance pixels. Its buffers serve ring after ring.
class RingSimplifier {
 public:
  void Append(std::span<const PixelPoint> ring, std::vector<PixelPoint>& out) {
    const size_t size = ring.size();
    if (size == 0) return;
    // The ring splits into two runs at its first point and the point farthest from it; each run
    // is split again at its point farthest from the line between its ends, while that is too far.
    size_t farthest = 0;
    for (size_t i = 1; i < size; ++i)
      if (SquaredDistance(ring[i], ring[0]) > SquaredDistance(ring[farthest], ring[0]))
        farthest = i;
    keep_.assign(size, false);
    keep_[0] = keep_[farthest] = true;
    runs_ = {{0, farthest}, {farthest, size}};  // an end at `size` is the first point again
    while (!runs_.empty()) {
      const auto [from, to] = runs_.back();
      runs_.pop_back();
      size_t worst = from;
      double worstDistance = kLandTolerance * kLandTolerance;
      for (size_t i = from + 1; i < to; ++i) {
        const double distance = SquaredDistanceToSegment(ring[i], ring[from], ring[to % size]);
        if (distance > worstDistance) {
          worst = i;
          worstDistance = distance;
        }
      }
      if (worst == from) continue;
      keep_[worst] = true;
      runs_.push_back({from, worst});
      runs_.push_back({worst, to});
    }
    for (size_t i = 0; i < size; ++i)
      if (keep_[i]) out.push_back(ring[i]);
  }

 private:
  std::vector<bool> keep_;
  std::vector<std::pair<size_t, size_t>> runs_;
};

// The label sits above the point it names and to its right, or to its left where the text
// would run past the view's right edge (its width reckoned from a typical sans-serif letter).
MapLabel LabelBeside(const MapView& view, PixelPoint point, std::string text) {
  const double gap = map_style::kMarkerRadius + 3;
  const auto letters = std::count_if(text.begin(), text.end(), [](char byte) {
    return (static_cast<uint8_t>(byte) & 0xC0) != 0x80;
  });
  const double width = kLetterWidth * map_style::kLabelFontSize * static_cast<double>(letters);
  const bool left = point.x + gap + width > view.width && point.x - gap - width >= 0;
  return {{left ? point.x - gap : point.x + gap, point.y - gap}, std::move(text), left};
}

// Runs of `total` items, `count` counts of them, the sizes read from `sizes`: where each
// begins. None when a run is shorter than `least` or the runs do not add up to `total`.
std::optional<std::vector<size_t>> RunStarts(const uint8_t* sizes, uint64_t count, uint64_t total,
                                             uint32_t least) {
  std::vector<size_t> starts;
  starts.reserve(count);
  uint64_t start = 0;
  for (size_t i = 0; i < count; ++i) {
    const uint32_t size = LoadU32(sizes + i * kCountBytes);
    if (size < least) return std::nullopt;
    starts.push_back(start);
    start += size;
  }
  if (start != total) return std::nullopt;
  return starts;
}

}  // namespace

std::optional<LandOutlines> DecodeLand(std::span<const uint8_t> bytes) {
  if (bytes.size() < kCountsAt || !std::equal(kLandTag.begin(), kLandTag.end(), bytes.begin()))
    return std::nullopt;
  const uint64_t shapeCount = LoadU32(bytes.data() + kShapeCountAt);
  const uint64_t ringCount = LoadU32(bytes.data() + kRingCountAt);
  const uint64_t pointCount = LoadU32(bytes.data() + kPointCountAt);
  // Each count is below 2^32, so the sizes cannot overflow 64 bits; checking them against the
  // bytes at hand bounds every allocation below.
  const uint64_t ringSizesAt = kCountsAt + shapeCount * kCountBytes;
  const uint64_t pointsAt = ringSizesAt + ringCount * kCountBytes;
  if (bytes.size() != pointsAt + pointCount * kPointBytes) return std::nullopt;
  auto shapeStarts = RunStarts(bytes.data() + kCountsAt, shapeCount, ringCount, 1);
  auto ringStarts = RunStarts(bytes.data() + ringSizesAt, ringCount, pointCount, 3);
  if (!shapeStarts || !ringStarts) return std::nullopt;
  LandOutlines land;
  land.ringStarts = std::move(*ringStarts);
  land.shapeStarts = std::move(*shapeStarts);
  land.points.reserve(pointCount);
  for (const uint8_t* point = bytes.data() + pointsAt; point != bytes.data() + bytes.size();
       point += kPointBytes) {
    const double longitude = LoadI16(point) / kUnitsPerDegree;
    const double latitude = LoadI16(point + 2) / kUnitsPerDegree;
    if (std::abs(longitude) > 180 || std::abs(latitude) > 90) return std::nullopt;
    land.points.push_back({latitude, longitude});
  }
  return land;
}

const LandOutlines& WorldLand() {
  static const LandOutlines land =
      DecodeLand({kWorldLandBytes, kWorldLandSize}).value_or(LandOutlines{});
  return land;
}

MapView ClampView(MapView view) {
  view.width = std::clamp(view.width, 1, kMaxMapSide);
  view.height = std::clamp(view.height, 1, kMaxMapSide);
  const double least = LeastPixelsPerDegree(view.width, view.height);
  view.pixelsPerDegree = std::isfinite(view.pixelsPerDegree)
                             ? std::clamp(view.pixelsPerDegree, least, kMaxPixelsPerDegree)
                             : least;
  view.centreLongitude = std::isfinite(view.centreLongitude) ? Wrap180(view.centreLongitude) : 0;
  const double halfHeight = view.height / 2.0 / view.pixelsPerDegree;
  view.centreLatitude = !std::isfinite(view.centreLatitude) || halfHeight >= 90
                            ? 0
                            : std::clamp(view.centreLatitude, halfHeight - 90, 90 - halfHeight);
  return view;
}

MapView WholeWorldView(int width, int height) {
  return ClampView({.pixelsPerDegree = 0, .width = width, .height = height});
}

MapView ZoomAbout(const MapView& view, PixelPoint anchor, double factor) {
  const MapView from = ClampView(view);
  const double dx = anchor.x - from.width / 2.0;
  const double dy = anchor.y - from.height / 2.0;
  MapView to = from;
  to.pixelsPerDegree = ClampView({.pixelsPerDegree = from.pixelsPerDegree * factor,
                                  .width = from.width,
                                  .height = from.height})
                           .pixelsPerDegree;
  to.centreLongitude = from.centreLongitude + dx / from.pixelsPerDegree - dx / to.pixelsPerDegree;
  to.centreLatitude = from.centreLatitude - dy / from.pixelsPerDegree + dy / to.pixelsPerDegree;
  return ClampView(to);
}

MapView PanByPixels(const MapView& view, double dx, double dy) {
  MapView moved = ClampView(view);
  moved.centreLongitude -= dx / moved.pixelsPerDegree;
  moved.centreLatitude += dy / moved.pixelsPerDegree;
  return ClampView(moved);
}

PixelPoint ToPixel(const MapView& view, GeoPoint point) {
  return Place(view, view.centreLongitude + Wrap180(point.longitude - view.centreLongitude),
               point.latitude);
}

GeoPoint ToGeo(const MapView& view, PixelPoint pixel) {
  return {view.centreLatitude - (pixel.y - view.height / 2.0) / view.pixelsPerDegree,
          Wrap180(view.centreLongitude + (pixel.x - view.width / 2.0) / view.pixelsPerDegree)};
}

ProjectedLand ProjectLand(const LandOutlines& land, double pixelsPerDegree) {
  const auto endOf = [](const std::vector<size_t>& starts, size_t i, size_t total) {
    return i + 1 < starts.size() ? starts[i + 1] : total;
  };
  ProjectedLand projected;
  projected.pixelsPerDegree = pixelsPerDegree;
  projected.points.reserve(land.points.size());
  RingSimplifier simplifier;
  std::vector<PixelPoint> ringPoints;
  for (size_t shape = 0; shape < land.shapeStarts.size(); ++shape) {
    ProjectedLand::Shape projectedShape{.firstRing = projected.rings.size()};
    const size_t firstPoint = projected.points.size();
    const size_t endRing = endOf(land.shapeStarts, shape, land.ringStarts.size());
    for (size_t ring = land.shapeStarts[shape]; ring < endRing; ++ring) {
      ringPoints.clear();
      for (size_t i = land.ringStarts[ring]; i < endOf(land.ringStarts, ring, land.points.size());
           ++i)
        ringPoints.push_back({(land.points[i].longitude + 180) * pixelsPerDegree,
                              (90 - land.points[i].latitude) * pixelsPerDegree});
      const size_t first = projected.points.size();
      simplifier.Append(ringPoints, projected.points);
      if (projected.points.size() - first < 3)
        projected.points.resize(first);
      else
        projected.rings.push_back({first, projected.points.size() - first});
    }
    projectedShape.ringCount = projected.rings.size() - projectedShape.firstRing;
    if (projectedShape.ringCount == 0) continue;
    const auto begin = projected.points.begin() + static_cast<std::ptrdiff_t>(firstPoint);
    const auto [left, right] = std::minmax_element(
        begin, projected.points.end(), [](PixelPoint a, PixelPoint b) { return a.x < b.x; });
    const auto [top, bottom] = std::minmax_element(
        begin, projected.points.end(), [](PixelPoint a, PixelPoint b) { return a.y < b.y; });
    projectedShape.left = left->x;
    projectedShape.right = right->x;
    projectedShape.top = top->y;
    projectedShape.bottom = bottom->y;
    projected.shapes.push_back(projectedShape);
  }
  return projected;
}

std::shared_ptr<const ProjectedLand> LandProjectionCache::At(double pixelsPerDegree) {
  if (!land_ || land_->pixelsPerDegree != pixelsPerDegree)
    land_ = std::make_shared<const ProjectedLand>(ProjectLand(WorldLand(), pixelsPerDegree));
  return land_;
}

MapView HomeView(const MapContent& content, int width, int height) {
  if (!content.footprint) return WholeWorldView(width, height);
  const std::vector<GeoPoint> outline = FootprintOutline(*content.footprint);
  const LongitudeSpan span = SpanOf(outline);
  const auto [south, north] =
      std::minmax_element(outline.begin(), outline.end(),
                          [](GeoPoint a, GeoPoint b) { return a.latitude < b.latitude; });
  const double across = std::max(span.east - span.west, kLeastHomeSpanDegrees);
  const double along = std::max(north->latitude - south->latitude, kLeastHomeSpanDegrees);
  return ClampView(
      {.centreLongitude = (span.west + span.east) / 2,
       .centreLatitude = (south->latitude + north->latitude) / 2,
       .pixelsPerDegree = kHomeFootprintShare * std::min(width / across, height / along),
       .width = width,
       .height = height});
}

std::array<PixelPoint, 3> ArrowheadCorners(const MapArrow& arrow) {
  const double baseX = arrow.tip.x - arrow.directionX * map_style::kArrowLength;
  const double baseY = arrow.tip.y - arrow.directionY * map_style::kArrowLength;
  const double sideX = -arrow.directionY * map_style::kArrowHalfWidth;
  const double sideY = arrow.directionX * map_style::kArrowHalfWidth;
  return {arrow.tip, PixelPoint{baseX + sideX, baseY + sideY},
          PixelPoint{baseX - sideX, baseY - sideY}};
}

MapScene BuildMapScene(const MapView& view, const MapContent& content, LandProjectionCache& cache) {
  MapScene scene;
  scene.view = ClampView(view);
  const MapView& v = scene.view;
  scene.northEdge = Place(v, 0, 90).y;
  scene.southEdge = Place(v, 0, -90).y;
  scene.land = cache.At(v.pixelsPerDegree);
  for (const double shift : CopyShifts(v, {-180, 180}, 0)) {
    MapScene::LandCopy copy{.origin = Place(v, shift - 180, 90), .shapes = {}};
    for (size_t i = 0; i < scene.land->shapes.size(); ++i) {
      const ProjectedLand::Shape& shape = scene.land->shapes[i];
      if (NearView(v, shape.left + copy.origin.x, shape.top + copy.origin.y,
                   shape.right + copy.origin.x, shape.bottom + copy.origin.y))
        copy.shapes.push_back(i);
    }
    scene.landCopies.push_back(std::move(copy));
  }
  scene.graticule = Graticule(v, scene.northEdge, scene.southEdge);

  if (content.footprint) {
    scene.footprintOutlines = ProjectCopies(v, FootprintOutline(*content.footprint));
    scene.caveat = kFootprintCaveat;
  }
  scene.trackLines = ProjectCopies(v, Unwrapped(content.track));
  for (const auto& line : scene.trackLines) AddArrows(v, line, scene.arrows);

  std::optional<PixelPoint> labelled;
  if (content.subSatellitePoint) {
    for (const auto& copy : ProjectCopies(v, std::span(&*content.subSatellitePoint, 1)))
      if (NearView(v, copy.front())) scene.markers.push_back(copy.front());
    labelled = ToPixel(v, *content.subSatellitePoint);
  } else if (content.footprint) {
    labelled = ToPixel(v, content.footprint->centre);
  }
  if (labelled && NearView(v, *labelled) && !content.placeLabel.empty())
    scene.label = LabelBeside(v, *labelled, content.placeLabel);
  return scene;
}

MapScene BuildMapScene(const MapView& view, const MapContent& content) {
  LandProjectionCache cache;
  return BuildMapScene(view, content, cache);
}

namespace {

// SVG coordinates to a tenth of a pixel.
void AppendNumber(std::string& svg, double value) {
  char digits[32];
  const auto written =
      std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 1);
  svg.append(digits, written.ptr);
}

void AppendPoint(std::string& svg, char command, PixelPoint point) {
  svg += command;
  AppendNumber(svg, point.x);
  svg += ' ';
  AppendNumber(svg, point.y);
}

// Path data of a polygon or polyline, moved by `origin`.
void AppendPath(std::string& svg, std::span<const PixelPoint> points, bool closed,
                PixelPoint origin = {}) {
  for (size_t i = 0; i < points.size(); ++i)
    AppendPoint(svg, i == 0 ? 'M' : 'L', {points[i].x + origin.x, points[i].y + origin.y});
  if (closed) svg += 'Z';
}

std::string Rgb(uint32_t argb) { return FormatText("#%06X", argb & 0xFFFFFFu); }
std::string Opacity(uint32_t argb) { return FormatText("%.2f", (argb >> 24) / 255.0); }
std::string Fill(uint32_t argb) {
  return "fill=\"" + Rgb(argb) + "\" fill-opacity=\"" + Opacity(argb) + "\"";
}
std::string Stroke(uint32_t argb, double width) {
  return "stroke=\"" + Rgb(argb) + "\" stroke-opacity=\"" + Opacity(argb) +
         FormatText("\" stroke-width=\"%g\"", width);
}

void AppendRect(std::string& svg, double top, double bottom, double width, uint32_t colour) {
  if (bottom <= top) return;
  svg += FormatText("<rect x=\"0\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" ", top, width,
                    bottom - top);
  svg += Fill(colour) + "/>\n";
}

// Text with a light halo beneath it, legible over land and sea alike.
void AppendLabel(std::string& svg, const MapLabel& label) {
  const std::string position = FormatText(
      "x=\"%.1f\" y=\"%.1f\" font-family=\"sans-serif\" font-size=\"%g\" text-anchor=\"%s\"",
      label.anchor.x, label.anchor.y, map_style::kLabelFontSize,
      label.endsAtAnchor ? "end" : "start");
  const std::string text = XmlText(label.text);
  svg += "<text " + position + " fill=\"none\" " + Stroke(map_colour::kTextHalo, 3) +
         " stroke-linejoin=\"round\">" + text + "</text>\n";
  svg += "<text " + position + " " + Fill(map_colour::kText) + ">" + text + "</text>\n";
}

}  // namespace

std::string MapSvg(const MapScene& scene) {
  const MapView& view = scene.view;
  const double width = view.width;
  const double height = view.height;
  std::string svg = FormatText(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"%d\" height=\"%d\" "
      "viewBox=\"0 0 %d %d\">\n",
      view.width, view.height, view.width, view.height);
  AppendRect(svg, 0, height, width, map_colour::kOffMap);
  AppendRect(svg, std::max(0.0, scene.northEdge), std::min(height, scene.southEdge), width,
             map_colour::kOcean);
  svg += "<path fill=\"none\" " + Stroke(map_colour::kGraticule, 1) + " d=\"";
  for (const MapSegment& line : scene.graticule)
    AppendPath(svg, std::array{line.from, line.to}, false);
  svg += "\"/>\n";

  if (scene.land) {
    const ProjectedLand& land = *scene.land;
    svg += "<path " + Fill(map_colour::kLand) + " fill-rule=\"evenodd\" d=\"";
    for (const MapScene::LandCopy& copy : scene.landCopies)
      for (const size_t shape : copy.shapes)
        for (size_t ring = land.shapes[shape].firstRing;
             ring < land.shapes[shape].firstRing + land.shapes[shape].ringCount; ++ring)
          AppendPath(svg,
                     std::span(land.points).subspan(land.rings[ring].first, land.rings[ring].count),
                     true, copy.origin);
    svg += "\"/>\n";
  }

  for (const auto& outline : scene.footprintOutlines) {
    svg += "<path " + Fill(map_colour::kFootprintFill) + " " +
           Stroke(map_colour::kFootprintLine, map_style::kFootprintLineWidth) +
           " stroke-linejoin=\"round\" d=\"";
    AppendPath(svg, outline, true);
    svg += "\"/>\n";
  }

  if (!scene.trackLines.empty()) {
    svg += "<path fill=\"none\" " + Stroke(map_colour::kTrack, map_style::kTrackWidth) +
           " stroke-linejoin=\"round\" stroke-linecap=\"round\" d=\"";
    for (const auto& line : scene.trackLines) AppendPath(svg, line, false);
    svg += "\"/>\n";
  }
  if (!scene.arrows.empty()) {
    svg += "<path " + Fill(map_colour::kTrack) + " d=\"";
    for (const MapArrow& arrow : scene.arrows) AppendPath(svg, ArrowheadCorners(arrow), true);
    svg += "\"/>\n";
  }

  for (const PixelPoint marker : scene.markers)
    svg += FormatText("<circle cx=\"%.1f\" cy=\"%.1f\" r=\"%g\" ", marker.x, marker.y,
                      map_style::kMarkerRadius) +
           Fill(map_colour::kMarker) + " " + Stroke(map_colour::kText, 1) + "/>\n";
  if (scene.label) AppendLabel(svg, *scene.label);

  if (!scene.caveat.empty()) {
    AppendRect(svg, height - map_style::kCaveatBandHeight, height, width, map_colour::kTextHalo);
    svg += FormatText("<text x=\"6\" y=\"%.1f\" font-family=\"sans-serif\" font-size=\"%g\" ",
                      height - map_style::kCaveatBandHeight / 2 + map_style::kCaveatFontSize / 3,
                      map_style::kCaveatFontSize) +
           Fill(map_colour::kText) + ">" + XmlText(scene.caveat) + "</text>\n";
  }
  return svg + "</svg>\n";
}

}  // namespace kestrel
