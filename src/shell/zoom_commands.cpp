#include "shell/zoom_commands.h"

#include "base/command_ids.h"
#include "session/session.h"
#include "session/view_zoom.h"

namespace kestrel {

void ZoomCommand(Session& session, int command) {
  const CurrentImage& current = session.state.current;
  if (!current.imageDisplayable) return;
  ViewZoom& zoom = session.state.zoom;
  // Any choice but Actual Size lets large pictures open fitted again.
  zoom.actualSizeChosen = command == kCmdActualSize;
  switch (command) {
    case kCmdZoomIn: SetZoom(session, ZoomInStep(zoom.percent)); break;
    case kCmdZoomOut: SetZoom(session, ZoomOutStep(zoom.percent)); break;
    case kCmdFitToWindow:
      // Into the picture area as it is: a small picture is enlarged to fill it.
      if (const auto room = session.platform.RoomForPicture())
        SetZoom(session, FitPercent({current.displayWidth, current.displayHeight}, room->area));
      break;
    case kCmdActualSize: SetZoom(session, 100); break;
    default: break;
  }
}

}  // namespace kestrel
