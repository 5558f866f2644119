#pragma once
// View > Map: a window beside the main one that shows where the picture on show lies on a world
// map, follows it as it changes, saves the view and exports the placed picture.

#include <QLabel>
#include <QMainWindow>
#include <optional>

#include "geo/placed_picture.h"
#include "gui/map_view.h"

namespace kestrel::gui {

class MapWindow : public QMainWindow {
  Q_OBJECT

 public:
  MapWindow(Session& session, QWidget* owner);

  // Places the picture on show again: its map, or the reason there is none, in words.
  void Follow();

  MapWidget& map() { return *map_; }

 private:
  void SaveMap();
  void Export();
  // Says why a save failed, in a box over this window.
  void Complain(const QString& text);

  Session& session_;
  MapWidget* map_;
  QLabel* caption_;
  QWidget* exportButton_;
  std::optional<PlacedPicture> placed_;
};

}  // namespace kestrel::gui
