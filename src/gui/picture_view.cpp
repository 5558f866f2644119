#include "gui/picture_view.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>

#include "base/command_ids.h"
#include "session/current_image.h"
#include "session/view_zoom.h"
#include "shell/scrolling.h"
#include "session/session.h"

namespace kestrel::gui {
namespace {

std::optional<ScrollRequest> RequestForAction(int action) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: return ScrollRequest::LineUp;
    case QAbstractSlider::SliderSingleStepAdd: return ScrollRequest::LineDown;
    case QAbstractSlider::SliderPageStepSub: return ScrollRequest::PageUp;
    case QAbstractSlider::SliderPageStepAdd: return ScrollRequest::PageDown;
    case QAbstractSlider::SliderToMinimum:
    case QAbstractSlider::SliderToMaximum: return ScrollRequest::Other;
    default: return std::nullopt;  // a dragged thumb or the wheel: the bar is already there
  }
}

struct KeyScroll {
  int key;
  Qt::Orientation orientation;
  QAbstractSlider::SliderAction action;
};
// Home and End page left and right; the arrows step by lines.
constexpr KeyScroll kKeyScrolls[] = {
    {Qt::Key_PageUp, Qt::Vertical, QAbstractSlider::SliderPageStepSub},
    {Qt::Key_PageDown, Qt::Vertical, QAbstractSlider::SliderPageStepAdd},
    {Qt::Key_Home, Qt::Horizontal, QAbstractSlider::SliderPageStepSub},
    {Qt::Key_End, Qt::Horizontal, QAbstractSlider::SliderPageStepAdd},
    {Qt::Key_Left, Qt::Horizontal, QAbstractSlider::SliderSingleStepSub},
    {Qt::Key_Right, Qt::Horizontal, QAbstractSlider::SliderSingleStepAdd},
    {Qt::Key_Up, Qt::Vertical, QAbstractSlider::SliderSingleStepSub},
    {Qt::Key_Down, Qt::Vertical, QAbstractSlider::SliderSingleStepAdd},
};

}  // namespace

PictureView::PictureView(const Session& session, QWidget* parent)
    : QAbstractScrollArea(parent), session_(session) {
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setFocusPolicy(Qt::StrongFocus);
  QPalette black = viewport()->palette();
  black.setColor(QPalette::Base, Qt::black);
  black.setColor(QPalette::Window, Qt::black);
  viewport()->setPalette(black);
  viewport()->setAutoFillBackground(true);
  connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this,
          [this](int action) { ApplyScrollRequest(Qt::Horizontal, action); });
  connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
          [this](int action) { ApplyScrollRequest(Qt::Vertical, action); });
}

bool PictureView::ShowPicture(PictureChange change) {
  bool drawable = true;
  switch (change) {
    case PictureChange::Installed:
    case PictureChange::PixelsChanged:
      drawable = WrapCurrentPicture();
      break;
    case PictureChange::ColoursChanged:
      // Only the colour table is new: the wrapped pixels, and any 8-bit copy, stay.
      if (drawn_ && session_.state.current.currentHeader)
        ApplyColourTable(drawn_->image, *session_.state.current.currentHeader);
      break;
    case PictureChange::Cleared:
      drawn_.reset();
      break;
  }
  percent_ = session_.state.zoom.percent;  // a new picture opens at the zoom chosen for it
  DescribeZoom();
  UpdateScrollRanges();
  viewport()->update();
  return drawable;
}

void PictureView::FollowZoom() {
  const int percent = session_.state.zoom.percent;
  const QPointF anchor = zoomAnchor_.value_or(QRectF(viewport()->rect()).center());
  const QPointF position(horizontalScrollBar()->value(), verticalScrollBar()->value());
  const QPointF scrolled = (position + anchor) * percent / percent_ - anchor;
  percent_ = percent;
  DescribeZoom();
  UpdateScrollRanges();
  horizontalScrollBar()->setValue(qRound(scrolled.x()));
  verticalScrollBar()->setValue(qRound(scrolled.y()));
  viewport()->update();
}

void PictureView::DescribeZoom() {
  setAccessibleDescription(drawn_ ? QStringLiteral("Shown at %1%").arg(percent_) : QString());
}

QSize PictureView::PictureSize() const { return drawn_ ? drawn_->image.size() : QSize(); }

QSize PictureView::ZoomedPictureSize() const {
  const QSize picture = PictureSize();
  return drawn_ ? QSize(ZoomedLength(picture.width(), percent_), ZoomedLength(picture.height(), percent_))
                : QSize();
}

bool PictureView::WrapCurrentPicture() {
  drawn_.reset();
  wrappedData_ = nullptr;
  wrappedSize_ = 0;
  const CurrentImage& current = session_.state.current;
  if (!current.imageDisplayable || !current.currentDib) return true;
  drawn_ = WrapDib(current.currentDib);
  if (!drawn_) return false;
  ApplyColourTable(drawn_->image,
                   current.currentHeader ? *current.currentHeader : *current.currentDib);
  wrappedData_ = drawn_->block->data();
  wrappedSize_ = drawn_->block->size();
  return true;
}

void PictureView::contextMenuEvent(QContextMenuEvent* event) {
  event->accept();
  emit dialogsRequested();
}

void PictureView::paintEvent(QPaintEvent* event) {
  if (!drawn_) return;
  // A block resized behind our back no longer holds the memory the image points into.
  if (drawn_->block->data() != wrappedData_ || drawn_->block->size() != wrappedSize_) {
    if (!WrapCurrentPicture() || !drawn_) return;
  }
  const QImage& image = drawn_->image;
  const double scale = percent_ / 100.0;
  // Only the pixels under the exposed area are drawn, with one more around them for smoothing
  // to read. Columns and rows here count from the picture's top left.
  const QRect exposed = event->rect().translated(horizontalScrollBar()->value(), verticalScrollBar()->value());
  const int left = std::max(0, static_cast<int>(std::floor(exposed.left() / scale)) - 1);
  const int top = std::max(0, static_cast<int>(std::floor(exposed.top() / scale)) - 1);
  const int right = std::min(image.width(), static_cast<int>(std::ceil((exposed.right() + 1) / scale)) + 1);
  const int bottom = std::min(image.height(), static_cast<int>(std::ceil((exposed.bottom() + 1) / scale)) + 1);
  if (left >= right || top >= bottom) return;
  QPainter painter(viewport());
  // Enlarged pixels show as blocks; a reduced picture is smoothed.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, percent_ < 100);
  // The rows are stored bottom-up: flip while drawing instead of copying them.
  painter.translate(-horizontalScrollBar()->value(), image.height() * scale - verticalScrollBar()->value());
  painter.scale(scale, -scale);
  const QRectF part(left, image.height() - bottom, right - left, bottom - top);
  painter.drawImage(part, image, part);
}

void PictureView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollRanges();
}

void PictureView::UpdateScrollRanges() {
  if (updatingRanges_) return;
  updatingRanges_ = true;
  const QSize picture = ZoomedPictureSize();
  const QSize client = maximumViewportSize();
  ScrollGeometry geometry;
  geometry.pictureWidth = picture.isValid() ? picture.width() : 0;
  geometry.pictureHeight = picture.isValid() ? picture.height() : 0;
  geometry.clientWidth = client.width();
  geometry.clientHeight = client.height();
  geometry.scrollBarWidth = verticalScrollBar()->sizeHint().width();
  geometry.scrollBarHeight = horizontalScrollBar()->sizeHint().height();
  const ScrollRange range = kestrel::UpdateScrollRanges(geometry);

  // The thumbs show how much of the picture the client area holds once the bars are in.
  const int width = client.width() - (range.verticalMax > 0 ? geometry.scrollBarWidth : 0);
  const int height = client.height() - (range.horizontalMax > 0 ? geometry.scrollBarHeight : 0);
  horizontalScrollBar()->setRange(0, range.horizontalMax);
  horizontalScrollBar()->setPageStep(std::max(1, width));
  horizontalScrollBar()->setSingleStep(width / 16 + 1);
  verticalScrollBar()->setRange(0, range.verticalMax);
  verticalScrollBar()->setPageStep(std::max(1, height));
  verticalScrollBar()->setSingleStep(height / 16 + 1);
  updatingRanges_ = false;
}

void PictureView::ApplyScrollRequest(Qt::Orientation orientation, int action) {
  const std::optional<ScrollRequest> request = RequestForAction(action);
  if (!request) return;
  QScrollBar* bar = orientation == Qt::Horizontal ? horizontalScrollBar() : verticalScrollBar();
  const int size = orientation == Qt::Horizontal ? viewport()->width() : viewport()->height();
  // The bar has not moved yet: its value is still the old position.
  bar->setSliderPosition(ScrolledPosition(*request, size, bar->value(), bar->sliderPosition(),
                                          bar->minimum(), bar->maximum()));
}

void PictureView::keyPressEvent(QKeyEvent* event) {
  // Shift and Control do not change what these keys do.
  const bool plain = !(event->modifiers() & (Qt::AltModifier | Qt::MetaModifier));
  const auto scroll = std::find_if(std::begin(kKeyScrolls), std::end(kKeyScrolls),
                                   [&](const KeyScroll& k) { return k.key == event->key(); });
  if (!plain || scroll == std::end(kKeyScrolls)) {
    event->ignore();
    return;
  }
  QScrollBar* bar =
      scroll->orientation == Qt::Horizontal ? horizontalScrollBar() : verticalScrollBar();
  bar->triggerAction(scroll->action);
  event->accept();
}

void PictureView::wheelEvent(QWheelEvent* event) {
  if (!(event->modifiers() & Qt::ControlModifier)) {
    QAbstractScrollArea::wheelEvent(event);
    return;
  }
  event->accept();
  // A notch of the wheel is one step; the small turns of a fine wheel add up to one.
  wheelDelta_ += event->angleDelta().y();
  zoomAnchor_ = event->position();
  while (std::abs(wheelDelta_) >= QWheelEvent::DefaultDeltasPerStep) {
    const bool in = wheelDelta_ > 0;
    wheelDelta_ -= in ? QWheelEvent::DefaultDeltasPerStep : -QWheelEvent::DefaultDeltasPerStep;
    emit zoomRequested(in ? kCmdZoomIn : kCmdZoomOut);
  }
  zoomAnchor_.reset();
}

void PictureView::scrollContentsBy(int dx, int dy) { viewport()->scroll(dx, dy); }

}  // namespace kestrel::gui
