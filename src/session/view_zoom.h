#pragma once
// How large the picture on show is drawn. The zoom is a state of the view only: the picture's
// blocks, and every command that works on them, never see it.

#include "platform/platform.h"

namespace kestrel {

struct Session;

// The percentages Zoom In and Zoom Out step through.
inline constexpr int kZoomSteps[] = {10, 15, 20, 25, 33, 50, 67, 75, 100,
                                     125, 150, 200, 300, 400, 600, 800, 1200, 1600};

struct ViewZoom {
  int percent = 100;
  // Actual Size was chosen: a new picture opens at 100% even when it is larger than the
  // screen, until the user zooms or fits again.
  bool actualSizeChosen = false;
};

// The next step above or below `percent`, from any value; beyond the last step it stays put.
int ZoomInStep(int percent);
int ZoomOutStep(int percent);

// The largest whole percentage at which all of `picture` fits into `room`, from 1% up to the
// top step.
int FitPercent(Extent picture, Extent room);

// A length of the picture drawn at `percent`, counting a pixel that is only partly shown.
int ZoomedLength(int length, int percent);

// A picture of a new size opens at 100% when it fits the screen or Actual Size was chosen,
// else fitted to the screen.
void ChooseZoomForNewPicture(Session& session);

// Draws the picture on show at `percent` and says so in the window's caption.
void SetZoom(Session& session, int percent);

}  // namespace kestrel
