#pragma once
// The commands that change the picture itself: exposure, rotation, sharpening, the Comp menu's
// compensation mode and the colour dialog's requests. The main window's dispatcher hands them
// here.

namespace kestrel {

struct Session;

// Runs `command` when it is one of these; `result` is what the dispatcher answers (1 unless the
// command says 0). False for any other command id.
bool RunImageCommand(Session& session, int command, int parameter, int& result);

// The text of the Compensation Warning shown before Each Plane on a set that may not suit it.
inline constexpr const char* kEachPlaneWarning =
    "EACH PLANE\r\nThis Image may be unsuited for this selection"
    "\r\n         Press OK to Select and Continue\r\n"
    "      or Cancel to De-select and Continue.";

}  // namespace kestrel
