#pragma once
// The world map in the window: the scene the core builds, painted with QPainter, zoomed with the
// wheel or the +/- keys, moved by dragging or with the arrow keys; Home goes back to the
// footprint, or to the whole world when there is none.

#include <QImage>
#include <QPainterPath>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <optional>
#include <vector>

#include "geo/world_map.h"

namespace kestrel::gui {

// Each shape of the land as a path, in the pixels of its projection, to be painted in every
// copy of the world in view.
std::vector<QPainterPath> LandPaths(const ProjectedLand& land);
// Draws `scene` over the painter's device, `land` being LandPaths of the scene's land.
void PaintMapScene(QPainter& painter, const MapScene& scene, const std::vector<QPainterPath>& land);
// The scene as a picture of `size` pixels, stretched to fill it ("Save Map" writes it as PNG).
QImage RenderMap(const MapScene& scene, QSize size);

class MapWidget : public QWidget {
  Q_OBJECT

 public:
  explicit MapWidget(QWidget* parent = nullptr);

  // Shows `content` from its home view.
  void setContent(MapContent content);
  // Shows `message` centred in place of the map ("No located picture").
  void setMessage(const QString& message);

  // What is drawn now; empty land while a message is shown.
  const MapScene& scene() const { return scene_; }
  const MapView& view() const { return view_; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // Moves to `view`, which the user chose: a resize keeps it rather than going home.
  void ShowView(const MapView& view);
  void Rebuild();

  MapContent content_;
  MapView view_;
  // Until the user zooms or pans, the map keeps to its home view as the widget is resized.
  bool atHome_ = true;
  QString message_;
  LandProjectionCache landCache_;
  MapScene scene_;
  std::vector<QPainterPath> landPaths_;
  std::shared_ptr<const ProjectedLand> landPathsOf_;  // the land landPaths_ were made from
  std::optional<QPointF> dragFrom_;
};

}  // namespace kestrel::gui
