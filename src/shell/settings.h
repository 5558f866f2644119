#pragma once
// The six persistent settings (where the ground-station files and the pictures are, the
// first-run marker, two defaults) and the Register Files dialog that edits them.

#include <filesystem>
#include <optional>

namespace kestrel {

struct Session;

// Reads the settings into the image state, finds the element-set and places files and sets the
// two defaults. False when nothing is stored yet (first run); the state is then left as it was.
// The session's directory stays: flows load the settings between choosing a file and using it.
bool LoadSettings(Session& session);

// The images directory of the settings when it exists.
std::optional<std::filesystem::path> ImagesDirectory(const Session& session);
// Makes the images directory the session's directory, where the choosers start: at start-up
// and when the settings were entered.
void EnterImagesDirectory(Session& session);

// Writes the settings the state holds, the first-run marker "Yes" among them. False, after
// its box, when the store did not keep them.
bool SaveSettings(Session& session);

// The modal Register Files dialog: on first run an explanation and the defaults; each OK
// checks that both ground-station files and the images directory are there, and keeps the
// dialog open with a message naming the one that is not. Cancel saves nothing.
void RunSettingsDialog(Session& session);

}  // namespace kestrel
