#pragma once
// The exposure and rotation commands of a grey picture, and the exposure of the picture on
// show.

#include <cstdint>

#include "base/block.h"
#include "processing/rotation.h"

namespace kestrel {

struct Session;

// Copies the exposure ramp's window at `level` into the colour table of the picture that shows
// it (the rotation work copy while it is on show, else the loaded image) and shows it again.
void ApplyExposure(Session& session, uint16_t level);

enum class ExposureCommand { Original, Enhanced, Lighten, Darken };

// Original (level 128), Enhanced (255 - image average), Lighten and Darken (by 8, within
// 0..255) with the menu flags they set, then the exposure applied.
void RunExposureCommand(Session& session, ExposureCommand command);

// Turns the loaded 8-bit picture a quarter turn through the rotation work copy, which then
// holds the same picture and is returned; none without a loaded picture.
Block RotateGreyPicture(Session& session, Turn turn);

// The Rotate CCD command: the turned picture is shown, and Pixel Adjust flips between usable
// and not.
void RunRotateCommand(Session& session, Turn turn);

}  // namespace kestrel
