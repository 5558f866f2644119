#pragma once
// What the colour set's commands do to the picture: mixing, turning selected planes, and
// lightening or darkening under the compensation mode.

#include <string_view>

#include "base/block.h"
#include "processing/exposure.h"
#include "processing/rotation.h"

namespace kestrel {

struct Session;

// Mixes `source` (a 24-bit packed DIB) into the mixed colour image, which grows to the largest
// source mixed so far, and returns that block.
Block MixColours(Session& session, const Block& source);

// Turns the selected planes of `block` in place, through the rotation work copy; returns it.
Block RotateColourPlanes(Session& session, const Block& block, Turn turn);

// Lightens (or darkens) `block` in place and shows it; returns it.
Block CompensateColour(Session& session, const Block& block, const Compensation& compensation,
                       bool lighten);

// The compensation a freshly composed set gets: the exposure level's low byte for every byte,
// the channel amounts for each plane, under the session's compensation mode.
Compensation AutomaticCompensation(const Session& session);

// When colour exposure is on, lightens (direction byte 1) or darkens the shown image by the
// automatic compensation; with `logLine` the loading window says which first.
void ApplyAutomaticCompensation(Session& session, bool logLine);

}  // namespace kestrel
