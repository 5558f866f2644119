#pragma once
// File > Open CCD and the satellite file dialog with its five modes: the file is chosen by
// satellite and kind, raw downloads are cleaned into a .CCD copy, TMSAT planes find their
// set, and compressed and bitmap files are sent to the commands that open them.

#include "base/identification_record.h"

namespace kestrel {

struct Session;

enum class SatelliteDialogMode {
  OpenCcd = 1,              // "Open CCD Image Files"
  SingleCompressed = 2,     // "Open Single Compressed Image Files"
  CompressedSets = 3,       // "Open Compressed Coloured Sets"
  ActDownloads = 4,         // "Open .ACT Files"
  Decompressed = 5,         // no command opens it
};

// Shows the platform's chooser with the mode's title and filters. On a choice the file's
// folder becomes the session's directory, its bare name the current file path and the folder
// the selected file directory; the result is positive when the file can be read, -1 when it
// cannot. Cancel empties the current file path and gives 0.
int OpenSatelliteFileDialog(Session& session, SatelliteDialogMode mode);

// Open CCD after its dialog closed the image dialogs and loaded the settings: routes the chosen
// file to the loader that fits it, then sharpens (when the settings ask) and reports. 1 when
// the command ended normally, 0 after a refusal or failure.
int OpenCcdCommand(Session& session);

// Preview ACT: the preset's layout, the .ACT chooser, then the download shown as a picture.
bool PreviewActCommand(Session& session, int command);

}  // namespace kestrel
