#pragma once
// The View menu's zoom commands: Zoom In, Zoom Out, Fit to Window and Actual Size.

namespace kestrel {

struct Session;

// Runs one of the zoom commands (kCmdZoomIn, kCmdZoomOut, kCmdFitToWindow, kCmdActualSize);
// with nothing on show it does nothing.
void ZoomCommand(Session& session, int command);

}  // namespace kestrel
