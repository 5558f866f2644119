#pragma once
// The scrolling picture area of the main window. It draws the picture on show straight from
// its packed DIB at the session's zoom and scrolls by the program's own line and page steps.

#include <QAbstractScrollArea>
#include <optional>

#include "gui/dib_image.h"
#include "platform/platform.h"

namespace kestrel {
struct Session;
}

namespace kestrel::gui {

class PictureView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  PictureView(const Session& session, QWidget* parent);

  // Follows a change of the session's picture. False when an installed picture cannot be
  // drawn (its runs do not decode).
  bool ShowPicture(PictureChange change);

  // Follows a change of the session's zoom, keeping the picture point under the pointer (for
  // the wheel) or under the middle of the area where it was.
  void FollowZoom();

  // The picture's size; empty while nothing is on show.
  QSize PictureSize() const;
  // The picture's size as drawn at its zoom.
  QSize ZoomedPictureSize() const;
  // The frame around the picture area, on each side.
  int FrameWidth() const { return frameWidth(); }
  // What is being drawn: the picture's rows bottom-up, over the DIB's own memory.
  const QImage& Image() const { return drawn_ ? drawn_->image : empty_; }

 signals:
  // A right click on the picture area, or the menu key while it has the focus.
  void dialogsRequested();
  // Ctrl+wheel over the picture: Zoom In or Zoom Out, as a command id.
  void zoomRequested(int command);

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  bool WrapCurrentPicture();
  void UpdateScrollRanges();
  void ApplyScrollRequest(Qt::Orientation orientation, int action);
  void DescribeZoom();

  const Session& session_;
  std::optional<DibImage> drawn_;
  // The block and its size when wrapped: memory that moved since is wrapped afresh.
  const uint8_t* wrappedData_ = nullptr;
  size_t wrappedSize_ = 0;
  bool updatingRanges_ = false;
  int percent_ = 100;  // the zoom the picture is drawn at
  std::optional<QPointF> zoomAnchor_;  // where the wheel asked for a new zoom
  int wheelDelta_ = 0;  // wheel turns not yet a whole step
  QImage empty_;
};

}  // namespace kestrel::gui
