#include "session/view_zoom.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <iterator>

#include "session/current_image.h"
#include "session/session.h"

namespace kestrel {

int ZoomInStep(int percent) {
  const auto next = std::upper_bound(std::begin(kZoomSteps), std::end(kZoomSteps), percent);
  return next == std::end(kZoomSteps) ? percent : *next;
}

int ZoomOutStep(int percent) {
  const auto next = std::lower_bound(std::begin(kZoomSteps), std::end(kZoomSteps), percent);
  return next == std::begin(kZoomSteps) ? percent : *std::prev(next);
}

int FitPercent(Extent picture, Extent room) {
  if (picture.width <= 0 || picture.height <= 0) return 100;
  // Whole percentages rounded down: the fitted picture never needs a scroll bar.
  const int64_t across = int64_t{std::max(room.width, 0)} * 100 / picture.width;
  const int64_t down = int64_t{std::max(room.height, 0)} * 100 / picture.height;
  return static_cast<int>(std::clamp<int64_t>(std::min(across, down), 1, kZoomSteps[std::size(kZoomSteps) - 1]));
}

int ZoomedLength(int length, int percent) {
  const int64_t zoomed = (int64_t{length} * percent + 99) / 100;
  return static_cast<int>(std::min<int64_t>(zoomed, INT_MAX));
}

void ChooseZoomForNewPicture(Session& session) {
  ViewZoom& zoom = session.state.zoom;
  zoom.percent = 100;
  const std::optional<PictureRoom> room = session.platform.RoomForPicture();
  if (zoom.actualSizeChosen || !room) return;
  const CurrentImage& current = session.state.current;
  zoom.percent = std::min(100, FitPercent({current.displayWidth, current.displayHeight}, room->screen));
}

void SetZoom(Session& session, int percent) {
  session.state.zoom.percent = percent;
  SetImageCaption(session);
  session.platform.ZoomChanged();
}

}  // namespace kestrel
