#pragma once
// Opening one satellite file named from outside the program (the command line, kestrel-cli
// convert), with the session's directory and current file path already set to the file, and
// the colour-set composition that the spectral-set open and the set decompression end with.

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace kestrel {

struct Session;

enum class OpenResult {
  Shown,            // a single picture or a colour set was loaded and is on show
  Failed,           // refused or not loaded; the message has been shown
  InformationFile,  // a TMSAT set's information file (.IMW): for the image report
  CompressedImage,  // a compressed image (IMC): for the decompression flow
  Video,            // a TMSAT video file (TM4, TM5): for video playback
};

// Where a file named from outside came from: the two refuse .ACT downloads with their own
// messages, and a dropped video whose name holds "ACT" is refused too.
enum class OpenOrigin { CommandLine, Drop };

// Identifies the file; refuses compressed, bitmap and .ACT names with their messages (the
// loader refuses names no rule knows); loads and shows a single picture and leaves the
// exposure level of an Enhanced picture. Names that belong to another flow are identified and
// handed back. With `colourSets`, a spectral plane (TM1, TM2, TM3) whose two siblings lie
// beside it opens as their colour set. Sharpening after load and the image report are the
// caller's.
OpenResult OpenSingleSatelliteFile(Session& session, OpenOrigin origin = OpenOrigin::CommandLine,
                                   bool colourSets = false);

// The spectral-set route of a TMSAT plane already identified: finds the set's three planes
// beside it (logging each that opens); with all three at the size the record expects, composes
// and shows the colour set, else loads the chosen plane alone as a grey picture.
OpenResult OpenSpectralSet(Session& session);

// Loads the three planes as a colour set and shows it mixed and compensated: the plane in the
// green byte turned half round, the composite copied, mixed, and lightened or darkened by the
// automatic compensation. False, with the loading window closed, when nothing could be built.
bool ComposeColourSet(Session& session, const std::array<std::string, 3>& names);
// The same for the three plane files' bytes, already in memory.
bool ComposeColourSet(Session& session, const std::array<std::string, 3>& names,
                      const std::array<std::span<const uint8_t>, 3>& planes);

}  // namespace kestrel
