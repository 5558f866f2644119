#pragma once
// Opening a file named from outside the program's own dialogs: on the desktop program's
// command line, or to kestrel-cli. One flow for both.

#include <filesystem>
#include <string_view>

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
                           bool colourSets = false);

}  // namespace kestrel
