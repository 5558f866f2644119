#include "gui/main_window.h"

#include <QClipboard>
#include <QDragEnterEvent>
#include <QGuiApplication>
#include <QDropEvent>
#include <QFile>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <algorithm>
#include <vector>

#include "base/command_ids.h"
#include "gui/help_windows.h"
#include "gui/image_dialogs.h"
#include "gui/picture_view.h"
#include "processing/image_dialogs.h"
#include "session/current_image.h"
#include "shell/dispatch.h"
#include "shell/menu_table.h"
#include "shell/open_file.h"
#include "shell/settings.h"

// The icon and the help page are compiled into the widget library, which a static link would
// otherwise drop.
static void LoadResources() { Q_INIT_RESOURCE(kestrel); }

namespace kestrel::gui {

MainWindow::MainWindow(std::filesystem::path directory)
    : platform_(*this), session_(platform_, std::move(directory)) {
  LoadResources();
  setObjectName(QStringLiteral("Kestrel"));
  setWindowTitle(QStringLiteral("Kestrel"));
  view_ = new PictureView(session_, this);
  view_->setAccessibleName(QStringLiteral("Picture"));
  setCentralWidget(view_);
  view_->setFocus();
  connect(view_, &PictureView::dialogsRequested, this, [this] { OpenDialogsOnRightClick(session_); });
  connect(view_, &PictureView::zoomRequested, this, [this](int command) { DispatchAccelerator(session_, command); });
  setAcceptDrops(true);
  ResetProcessingState(session_);
  AttachDispatcher(session_);
  BuildMenus();
}

MainWindow::~MainWindow() { FreeCurrentImage(session_); }

void MainWindow::Start(const QStringList& files) {
  if (!LoadSettings(session_)) RunSettingsDialog(session_);
  EnterImagesDirectory(session_);
  show();
  // Names typed in a shell are relative to the shell's folder, not to the images folder that
  // the settings made the session's.
  for (const QString& file : files) OpenFile(std::filesystem::absolute(QFile::encodeName(file).toStdString()));
}

bool MainWindow::OpenFile(const std::filesystem::path& file) {
  return CommandLineOpen(session_, file);
}

void MainWindow::BuildMenus() {
  std::vector<QMenu*> open;  // the menu being filled, innermost last
  const auto follow = [this](QMenu* menu) {
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { ApplyMenuRules(*menu); });
    menus_.push_back(menu);
    return menu;
  };
  for (const MenuEntry& entry : MenuBar()) {
    const QString text = QString::fromUtf8(entry.text.data(), static_cast<qsizetype>(entry.text.size()));
    switch (entry.kind) {
      case MenuEntryKind::Menu: open = {follow(menuBar()->addMenu(text))}; break;
      case MenuEntryKind::Submenu: open.push_back(follow(open.back()->addMenu(text))); break;
      case MenuEntryKind::Separator: open.back()->addSeparator(); break;
      case MenuEntryKind::End: open.pop_back(); break;
      case MenuEntryKind::Item: {
        QAction* action = open.back()->addAction(text);
        action->setData(entry.command);
        // The compensation modes, of which none or one is checked.
        action->setCheckable(entry.command == kCmdCompEachPlane || entry.command == kCmdCompGraded ||
                             entry.command == kCmdCompAveraged);
        connect(action, &QAction::triggered, this,
                [this, command = entry.command] {
                  DispatchCommand(session_, command);
                  ApplyAllMenuRules();
                });
        break;
      }
    }
  }
  // The keys act on the main window whatever has the focus in it; a greyed item's key does nothing.
  for (const Accelerator& accelerator : Accelerators()) {
    auto* shortcut = new QShortcut(QKeySequence(QString::fromLatin1(accelerator.keys.data(),
                                                                    static_cast<qsizetype>(accelerator.keys.size()))),
                                   this);
    connect(shortcut, &QShortcut::activated, this,
            [this, command = accelerator.command] {
              DispatchAccelerator(session_, command);
              ApplyAllMenuRules();
            });
  }
  // Kept current, not only as a menu opens, so that a screen reader reads the true states.
  connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &MainWindow::ApplyAllMenuRules);
  ApplyAllMenuRules();
}

void MainWindow::ApplyAllMenuRules() {
  for (QMenu* menu : menus_) ApplyMenuRules(*menu);
}

void MainWindow::ApplyMenuRules(QMenu& menu) {
  const bool clipboard = platform_.ClipboardHasDib();
  for (QAction* action : menu.actions()) {
    if (action->menu() || action->isSeparator()) continue;
    const MenuItemState state = MenuItemStateFor(action->data().toInt(), session_.state, clipboard);
    action->setEnabled(state.enabled);
    if (action->isCheckable()) action->setChecked(state.checked);
  }
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  std::vector<std::filesystem::path> files;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) files.emplace_back(QFile::encodeName(url.toLocalFile()).toStdString());
  event->acceptProposedAction();
  session_.state.openedFromShell = true;
  OpenDroppedFiles(session_, files);
}

void MainWindow::PictureChanged(PictureChange change) {
  if (change == PictureChange::Cleared) fitted_ = QSize();
  ApplyAllMenuRules();
  if (!view_->ShowPicture(change)) {
    ShowErrorBox(session_, "Could not load RLE!");
    return;
  }
  // A picture of a new size fits the window to it; edits that keep the size leave it in place.
  if (change == PictureChange::Installed && view_->PictureSize() != fitted_) FitToPicture();
  // A new or turned picture lies elsewhere; new colours leave it where it was.
  if (map_ && change != PictureChange::ColoursChanged) map_->Follow();
}

void MainWindow::FitToPicture() {
  fitted_ = view_->PictureSize();
  // A maximised window keeps its size; the view has already updated its scroll ranges.
  if (isMaximized() || isFullScreen()) return;
  const QSize picture = view_->ZoomedPictureSize();
  if (picture.isEmpty()) return;
  const QScreen* where = screen();
  if (!where) return;
  const QRect work = where->availableGeometry();
  const QSize decoration = Decoration();
  const QSize around = AroundPicture();
  const int maxWidth = work.width() - decoration.width();
  const int maxHeight = work.height() - decoration.height();
  int width = picture.width() + around.width();
  int height = picture.height() + around.height();
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

QSize MainWindow::Decoration() const {
  return isVisible() ? frameGeometry().size() - geometry().size() : QSize();
}

QSize MainWindow::AroundPicture() const {
  const int menuHeight = menuWidget() ? menuWidget()->sizeHint().height() : 0;
  const int frame = 2 * view_->FrameWidth();
  return {frame, frame + menuHeight};
}

PictureRoom MainWindow::RoomForPicture() const {
  const QSize area = view_->maximumViewportSize();
  QSize largest = area;
  // A maximised window keeps its size whatever it shows.
  if (!isMaximized() && !isFullScreen() && screen())
    largest = screen()->availableGeometry().size() - Decoration() - AroundPicture();
  return {{area.width(), area.height()}, {largest.width(), largest.height()}};
}

void MainWindow::PlaceOverClientArea(QWidget& dialog) const {
  const QPoint clientTop = view_->mapToGlobal(QPoint(0, 0));
  const QRect outer = frameGeometry();
  const int width = dialog.frameGeometry().width();
  dialog.move(outer.x() + (outer.width() - width) / 2, clientTop.y());
}

namespace {

// Keeps one modeless dialog as the image state has it: made when it opens, redrawn while open,
// deleted once closed (later, as the close may come from one of its own buttons).
template <class Dialog>
void Follow(QPointer<Dialog>& dialog, bool open, Session& session, QWidget& owner) {
  if (!open) {
    if (dialog) {
      dialog->hide();
      dialog->deleteLater();
      dialog = nullptr;
    }
    return;
  }
  if (!dialog) {
    dialog = new Dialog(session, &owner);
    dialog->show();
    dialog->activateWindow();  // opened from the keyboard, it takes the keyboard
  }
  dialog->Sync();
}

}  // namespace

void MainWindow::FollowImageDialogs() {
  Follow(exposureDialog_, session_.state.exposureDialog.open, session_, *this);
  Follow(colourDialog_, session_.state.colourDialog.open, session_, *this);
  ApplyAllMenuRules();  // the dialogs' buttons change what the menus allow
}

void MainWindow::ShowMap() {
  if (!map_) map_ = new MapWindow(session_, this);
  map_->show();
  map_->raise();
  map_->activateWindow();
}

void MainWindow::ShowGallery() {
  if (!gallery_) gallery_ = new GalleryWindow(session_, this);
  gallery_->show();
  gallery_->raise();
  gallery_->activateWindow();
}

void MainWindow::ShowHelp() {
  if (!help_) help_ = NewHelpWindow(*this);
  help_->show();
  help_->raise();
  help_->activateWindow();
}

}  // namespace kestrel::gui
