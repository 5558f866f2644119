#pragma once
// Opening a file named from outside the program's own dialogs: on the desktop program's
// command line, or to kestrel-cli. One flow for both.

#include <filesystem>
#include <string_view>
#include <vector>

#include "satfiles/open_flows.h"

namespace kestrel {

struct Session;

// Makes the file's folder the session's directory and its upper-cased bare name the current
// file path, as every open does.
void EnterFile(Session& session, const std::filesystem::path& file);

// Bitmap files are known by their extension: .BMP, .DIB or .RLE in any case.
bool IsBitmapFileName(std::string_view name);

// Enters the file and opens it by its name: a bitmap as Open Bmp does, any other file as the
// command line does; with `colourSets`, a spectral plane with its two siblings beside it opens
// as their colour set. Kinds that belong to another flow are identified and handed back. The
// image report is the caller's.
OpenResult OpenFromOutside(Session& session, const std::filesystem::path& file,
                           bool colourSets = false, OpenOrigin origin = OpenOrigin::CommandLine);

// Command Line Open: the settings first, then the file opened by its name as above, each kind
// by its own flow (an information file reported on, a compressed picture decompressed, a
// video played), a loaded picture sharpened when the settings ask, and reported on. False
// when nothing came of it. With `colourSets`, a plane opens as its set, as above.
bool CommandLineOpen(Session& session, const std::filesystem::path& file, bool colourSets = false);

// Files dropped on the window, opened from the last to the first like the command line does;
// each picture but the last stays on show for five seconds (a pause through the Platform), and
// the last is reported on. A refusal ends the whole drop.
void OpenDroppedFiles(Session& session, const std::vector<std::filesystem::path>& files);

}  // namespace kestrel
