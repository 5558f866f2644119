#include "gui/map_view.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QWheelEvent>
#include <cmath>
#include <utility>

namespace kestrel::gui {
namespace {

// Each notch of the wheel zooms by this much; the keys by more.
constexpr double kWheelZoomPerNotch = 1.25;
constexpr double kKeyZoom = 1.5;
constexpr double kWheelNotch = 120;  // angle units of one notch
// The arrow keys move the map by this share of the widget.
constexpr double kKeyPanShare = 1.0 / 8;

QColor Colour(uint32_t argb) { return QColor::fromRgba(argb); }
QPointF Point(PixelPoint point) { return {point.x, point.y}; }

QPolygonF Polygon(std::span<const PixelPoint> points) {
  QPolygonF polygon;
  polygon.reserve(static_cast<qsizetype>(points.size()));
  for (const PixelPoint point : points) polygon.append(Point(point));
  return polygon;
}

QFont FontOfSize(double pixels) {
  QFont font;
  font.setPixelSize(static_cast<int>(std::lround(pixels)));
  return font;
}

// Text with a light halo beneath it, legible over land and sea alike.
void DrawLabel(QPainter& painter, const MapLabel& label) {
  const QFont font = FontOfSize(map_style::kLabelFontSize);
  const QString text =
      QString::fromUtf8(label.text.data(), static_cast<qsizetype>(label.text.size()));
  QPointF baselineStart = Point(label.anchor);
  if (label.endsAtAnchor) baselineStart.rx() -= QFontMetricsF(font).horizontalAdvance(text);
  // The halo is the text drawn a pixel off in each direction: glyphs come from Qt's cache,
  // where stroking the text's outline would cost a millisecond a paint.
  painter.setFont(font);
  painter.setPen(Colour(map_colour::kTextHalo));
  for (const QPointF offset : {QPointF(-1, -1), QPointF(0, -1), QPointF(1, -1), QPointF(-1, 0),
                               QPointF(1, 0), QPointF(-1, 1), QPointF(0, 1), QPointF(1, 1)})
    painter.drawText(baselineStart + offset, text);
  painter.setPen(Colour(map_colour::kText));
  painter.drawText(baselineStart, text);
}

void DrawCaveat(QPainter& painter, const MapScene& scene) {
  const double width = scene.view.width;
  const double height = scene.view.height;
  const QRectF band(0, height - map_style::kCaveatBandHeight, width, map_style::kCaveatBandHeight);
  painter.fillRect(band, Colour(map_colour::kTextHalo));
  const QFont font = FontOfSize(map_style::kCaveatFontSize);
  const QRectF text = band.adjusted(6, 0, -6, 0);
  painter.setFont(font);
  painter.setPen(Colour(map_colour::kText));
  painter.drawText(
      text, Qt::AlignLeft | Qt::AlignVCenter,
      QFontMetricsF(font).elidedText(
          QString::fromUtf8(scene.caveat.data(), static_cast<qsizetype>(scene.caveat.size())),
          Qt::ElideRight, text.width()));
}

}  // namespace

std::vector<QPainterPath> LandPaths(const ProjectedLand& land) {
  std::vector<QPainterPath> paths;
  paths.reserve(land.shapes.size());
  for (const ProjectedLand::Shape& shape : land.shapes) {
    QPainterPath& path = paths.emplace_back();
    path.setFillRule(Qt::OddEvenFill);
    for (size_t ring = shape.firstRing; ring < shape.firstRing + shape.ringCount; ++ring) {
      path.addPolygon(
          Polygon(std::span(land.points).subspan(land.rings[ring].first, land.rings[ring].count)));
      path.closeSubpath();
    }
  }
  return paths;
}

void PaintMapScene(QPainter& painter, const MapScene& scene,
                   const std::vector<QPainterPath>& land) {
  const double width = scene.view.width;
  const double height = scene.view.height;
  painter.fillRect(QRectF(0, 0, width, height), Colour(map_colour::kOffMap));
  const double top = std::max(0.0, scene.northEdge);
  const double bottom = std::min(height, scene.southEdge);
  if (bottom > top)
    painter.fillRect(QRectF(0, top, width, bottom - top), Colour(map_colour::kOcean));
  // Opaque and square to the pixels, the lines need no blending and no antialiasing.
  painter.setPen(QPen(Colour(map_colour::kGraticule), 1));
  for (const MapSegment& line : scene.graticule) painter.drawLine(Point(line.from), Point(line.to));

  painter.setRenderHint(QPainter::Antialiasing);
  const QBrush landBrush(Colour(map_colour::kLand));
  for (const MapScene::LandCopy& copy : scene.landCopies) {
    painter.translate(copy.origin.x, copy.origin.y);
    for (const size_t shape : copy.shapes) painter.fillPath(land[shape], landBrush);
    painter.translate(-copy.origin.x, -copy.origin.y);
  }

  painter.setPen(QPen(Colour(map_colour::kFootprintLine), map_style::kFootprintLineWidth,
                      Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Colour(map_colour::kFootprintFill));
  for (const auto& outline : scene.footprintOutlines) painter.drawPolygon(Polygon(outline));

  painter.setPen(QPen(Colour(map_colour::kTrack), map_style::kTrackWidth, Qt::SolidLine,
                      Qt::RoundCap, Qt::RoundJoin));
  for (const auto& line : scene.trackLines) painter.drawPolyline(Polygon(line));
  painter.setPen(Qt::NoPen);
  painter.setBrush(Colour(map_colour::kTrack));
  for (const MapArrow& arrow : scene.arrows) painter.drawPolygon(Polygon(ArrowheadCorners(arrow)));

  painter.setPen(QPen(Colour(map_colour::kText), 1));
  painter.setBrush(Colour(map_colour::kMarker));
  for (const PixelPoint marker : scene.markers)
    painter.drawEllipse(Point(marker), map_style::kMarkerRadius, map_style::kMarkerRadius);
  if (scene.label) DrawLabel(painter, *scene.label);
  if (!scene.caveat.empty()) DrawCaveat(painter, scene);
}

QImage RenderMap(const MapScene& scene, QSize size) {
  QImage image(size, QImage::Format_RGB32);
  if (image.isNull()) return image;
  QPainter painter(&image);
  painter.scale(size.width() / static_cast<double>(scene.view.width),
                size.height() / static_cast<double>(scene.view.height));
  PaintMapScene(painter, scene, scene.land ? LandPaths(*scene.land) : std::vector<QPainterPath>());
  return image;
}

MapWidget::MapWidget(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::OpenHandCursor);
  setAttribute(Qt::WA_OpaquePaintEvent);
  Rebuild();
}

void MapWidget::setContent(MapContent content) {
  content_ = std::move(content);
  message_.clear();
  atHome_ = true;
  Rebuild();
}

void MapWidget::setMessage(const QString& message) {
  message_ = message;
  content_ = {};
  scene_ = {};
  landPaths_ = {};
  landPathsOf_.reset();
  update();
}

QSize MapWidget::sizeHint() const { return {720, 400}; }

void MapWidget::ShowView(const MapView& view) {
  view_ = view;
  atHome_ = false;
  Rebuild();
}

void MapWidget::Rebuild() {
  if (!message_.isEmpty()) return;
  if (atHome_) view_ = HomeView(content_, width(), height());
  view_.width = width();
  view_.height = height();
  scene_ = BuildMapScene(view_, content_, landCache_);
  view_ = scene_.view;
  if (scene_.land != landPathsOf_) {
    landPaths_ = LandPaths(*scene_.land);
    landPathsOf_ = scene_.land;
  }
  update();
}

void MapWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!message_.isEmpty()) {
    painter.fillRect(rect(), palette().window());
    painter.setPen(palette().windowText().color());
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, message_);
    return;
  }
  PaintMapScene(painter, scene_, landPaths_);
}

void MapWidget::resizeEvent(QResizeEvent*) { Rebuild(); }

void MapWidget::wheelEvent(QWheelEvent* event) {
  const double notches = event->angleDelta().y() / kWheelNotch;
  if (notches == 0 || !message_.isEmpty()) return;
  const QPointF at = event->position();
  ShowView(ZoomAbout(view_, {at.x(), at.y()}, std::pow(kWheelZoomPerNotch, notches)));
  event->accept();
}

void MapWidget::keyPressEvent(QKeyEvent* event) {
  if (!message_.isEmpty()) return QWidget::keyPressEvent(event);
  const PixelPoint centre{width() / 2.0, height() / 2.0};
  const double stepX = width() * kKeyPanShare;
  const double stepY = height() * kKeyPanShare;
  switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal: ShowView(ZoomAbout(view_, centre, kKeyZoom)); break;
    case Qt::Key_Minus: ShowView(ZoomAbout(view_, centre, 1 / kKeyZoom)); break;
    // An arrow looks further that way: the map moves the other.
    case Qt::Key_Left: ShowView(PanByPixels(view_, stepX, 0)); break;
    case Qt::Key_Right: ShowView(PanByPixels(view_, -stepX, 0)); break;
    case Qt::Key_Up: ShowView(PanByPixels(view_, 0, stepY)); break;
    case Qt::Key_Down: ShowView(PanByPixels(view_, 0, -stepY)); break;
    case Qt::Key_Home:
      atHome_ = true;
      Rebuild();
      break;
    default: return QWidget::keyPressEvent(event);
  }
}

void MapWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  dragFrom_ = event->position();
  setCursor(Qt::ClosedHandCursor);
}

void MapWidget::mouseMoveEvent(QMouseEvent* event) {
  if (!dragFrom_ || !message_.isEmpty()) return;
  const QPointF moved = event->position() - *dragFrom_;
  dragFrom_ = event->position();
  ShowView(PanByPixels(view_, moved.x(), moved.y()));
}

void MapWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
  dragFrom_.reset();
  setCursor(Qt::OpenHandCursor);
}

}  // namespace kestrel::gui
