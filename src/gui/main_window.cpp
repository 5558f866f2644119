#include "gui/main_window.h"

#include <QScreen>
#include <QScrollBar>
#include <algorithm>

#include "session/current_image.h"
#include "gui/picture_view.h"
#include "codec/colour_set_decompression.h"
#include "location/image_information.h"
#include "satfiles/video.h"
#include "shell/open_file.h"

namespace kestrel::gui {

MainWindow::MainWindow(std::filesystem::path directory)
    : platform_(*this), session_(platform_, std::move(directory)) {
  setObjectName(QStringLiteral("Kestrel"));
  setWindowTitle(QStringLiteral("Kestrel"));
  view_ = new PictureView(session_, this);
  setCentralWidget(view_);
  view_->setFocus();
  ResetProcessingState(session_);
}

MainWindow::~MainWindow() { FreeCurrentImage(session_); }

bool MainWindow::OpenFile(const std::filesystem::path& file) {
  switch (OpenFromOutside(session_, file)) {
    case OpenResult::Shown:
      return true;
    case OpenResult::Failed:
      return false;
    case OpenResult::InformationFile:
      session_.state.shownImage.reset();
      return ShowImageInformation(session_, session_.state.currentFilePath) != 0;
    case OpenResult::CompressedImage:
      session_.state.processing.compressionDone = true;
      return DecompressTmsatSet(session_);
    case OpenResult::Video:
      return PlayTmsatVideo(session_, session_.state.currentFilePath);
  }
  return false;
}

void MainWindow::PictureChanged(PictureChange change) {
  if (!view_->ShowPicture(change)) {
    ShowErrorBox(session_, "Could not load RLE!");
    return;
  }
  if (change == PictureChange::Installed) FitToPicture();
}

void MainWindow::FitToPicture() {
  // A maximised window keeps its size; the view has already updated its scroll ranges.
  if (isMaximized() || isFullScreen()) return;
  const QSize picture = view_->PictureSize();
  if (picture.isEmpty()) return;
  const QScreen* where = screen();
  if (!where) return;
  const QRect work = where->availableGeometry();
  // Window-manager decoration is known once the window is on screen.
  const QSize decoration = isVisible() ? frameGeometry().size() - geometry().size() : QSize();
  const int menuHeight = menuWidget() ? menuWidget()->sizeHint().height() : 0;
  const int frame = 2 * view_->FrameWidth();
  const int maxWidth = work.width() - decoration.width();
  const int maxHeight = work.height() - decoration.height();
  int width = picture.width() + frame;
  int height = picture.height() + frame + menuHeight;
  // A picture cut off along one axis brings in that axis' bar, which takes room from the other.
  const bool tooTall = height > maxHeight;
  const bool tooWide = width > maxWidth;
  if (tooTall) width += view_->verticalScrollBar()->sizeHint().width();
  if (tooWide) height += view_->horizontalScrollBar()->sizeHint().height();
  width = std::min(width, maxWidth);
  height = std::min(height, maxHeight);
  resize(width, height);
  const int outerWidth = width + decoration.width();
  move(work.x() + (work.width() - outerWidth) / 2, work.y());
}

void MainWindow::PlaceOverClientArea(QWidget& dialog) const {
  const QPoint clientTop = view_->mapToGlobal(QPoint(0, 0));
  const QRect outer = frameGeometry();
  const int width = dialog.frameGeometry().width();
  dialog.move(outer.x() + (outer.width() - width) / 2, clientTop.y());
}

}  // namespace kestrel::gui
