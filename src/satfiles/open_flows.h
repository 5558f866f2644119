#pragma once
// Opening one satellite file named from outside the program (the command line, kestrel-cli
// convert), with the session's directory and current file path already set to the file.

namespace kestrel {

struct Session;

enum class OpenResult {
  Shown,            // a single picture was loaded and is on show
  Failed,           // refused or not loaded; the message has been shown
  InformationFile,  // a TMSAT set's information file (.IMW): for the image report
  CompressedImage,  // a compressed image (IMC): for the decompression flow
  Video,            // a TMSAT video file (TM4, TM5): for video playback
};

// Identifies the file; refuses compressed, bitmap and .ACT names with their messages (the
// loader refuses names no rule knows); loads and shows a single picture and leaves the
// exposure level of an Enhanced picture. Names that belong to another flow are identified and
// handed back. Sharpening after load and the image report are the caller's.
OpenResult OpenSingleSatelliteFile(Session& session);

}  // namespace kestrel
