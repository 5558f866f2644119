#pragma once
// The one top-level window: it owns the program's Session and shows its picture.

#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <filesystem>
#include <vector>

#include "gui/gallery_window.h"
#include "gui/image_dialogs.h"
#include "gui/map_window.h"
#include "gui/qt_platform.h"
#include "session/session.h"

namespace kestrel::gui {

class PictureView;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // Bare file names are taken relative to `directory` until a file is opened.
  explicit MainWindow(std::filesystem::path directory);
  ~MainWindow() override;

  Session& session() { return session_; }
  QtPlatform& platform() { return platform_; }
  PictureView& view() { return *view_; }
  ExposureDialog* exposureDialog() const { return exposureDialog_; }
  ColourDialog* colourDialog() const { return colourDialog_; }

  // Start-up once the window is built: the settings (asked for on the first run, before the
  // window shows), the window, then each file named on the command line, in order.
  void Start(const QStringList& files);

  // Opens a file named outside the program's dialogs, as the command line does.
  bool OpenFile(const std::filesystem::path& file);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 public:
  // Follows the session's picture: a new one also fits the window to it.
  void PictureChanged(PictureChange change);

  // Where the picture can be shown without scroll bars: the picture area now, and as large
  // as the window can make it on its screen.
  PictureRoom RoomForPicture() const;

  // Puts a small window centred across this one, its top at the top of the picture area.
  void PlaceOverClientArea(QWidget& dialog) const;

  // Opens, redraws or closes the two image dialogs as the image state has them.
  void FollowImageDialogs();
  // Help > Contents and Index: one help window, raised when it is already open.
  void ShowHelp();
  // View > Map: one map window, following the picture on show.
  void ShowMap();
  MapWindow* mapWindow() const { return map_; }
  // View > Gallery: one gallery window, raised when it is already open.
  void ShowGallery();
  GalleryWindow* galleryWindow() const { return gallery_; }

 private:
  void FitToPicture();
  // Window-manager decoration, known once the window is on screen.
  QSize Decoration() const;
  // What the window holds beside the picture: the menu bar and the picture area's frame.
  QSize AroundPicture() const;
  // The menu bar and the keys, from the program's one table; every command goes to dispatch.
  void BuildMenus();
  // Greys and checks the items of a menu that is about to open.
  void ApplyMenuRules(QMenu& menu);
  void ApplyAllMenuRules();

  QtPlatform platform_;
  Session session_;
  PictureView* view_;
  std::vector<QMenu*> menus_;  // every menu and submenu, owned by the menu bar
  QPointer<ExposureDialog> exposureDialog_;
  QPointer<ColourDialog> colourDialog_;
  QPointer<QDialog> help_;
  QPointer<MapWindow> map_;
  QPointer<GalleryWindow> gallery_;
  QSize fitted_;  // the picture size the window was last fitted to
};

}  // namespace kestrel::gui
