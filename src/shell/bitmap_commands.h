#pragma once
// The bitmap commands: Open Bmp, Save Bmp, Paste DIB and Copy, and the logic of the file
// dialog that Open Bmp and Save Bmp choose their file with. The platform's chooser shows the
// dialog; the rules of its name field and its format panel live here.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/block.h"
#include "bitmap/dib.h"

namespace kestrel {

struct Session;

// The file names of a pattern: separated by ";", spaces after a ";" skipped.
std::vector<std::string> PatternNames(std::string_view pattern);

// The name as OK takes it: the file name upper-cased (its folders keep their case, as this
// file system needs), and the extension of the pattern's first name pattern appended when the file
// name has none. Leading dots are not an extension.
std::string CompletedName(std::string_view typed, std::string_view pattern);

// The format panel. A format word holds one depth bit and one compression bit (FormatBit).
// The depths a compression allows: RLE 4 only 4 bpp, RLE 8 only 8 bpp, RGB all four.
uint16_t AllowedDepths(uint16_t compressionBit);
// The word after a compression button is clicked: a checked depth that the compression does
// not allow is replaced by the one it does.
uint16_t ClickCompression(uint16_t formatWord, uint16_t compressionBit);
// The buttons a picture preselects: its own compression and depth.
uint16_t FormatWordFor(const BitmapInfoHeader& picture);

struct BitmapFormat {
  uint32_t compression = kCompressionRgb;
  uint16_t bitCount = 0;
};
// What a chosen word asks for; where a group has nothing chosen the picture's own value stays.
BitmapFormat ChosenFormat(uint16_t formatWord, const BitmapInfoHeader& picture);

struct FileDialogRequest {
  std::string title;
  std::string pattern;
  bool save = false;        // "Save" rather than "Open"; new names are allowed
  uint16_t formatWord = 0;  // the format panel's preselection, offered when saving
};

struct ChosenFile {
  std::filesystem::path path;  // the existing file whatever its case, else the upper-case name
  uint16_t formatWord = 0;     // a legal panel state
};

// Runs the platform's chooser in the session's directory until it gives a file or is
// cancelled: a trailing "\" or "/" is dropped, a folder is entered, a name with "*" or "?"
// becomes the new pattern, and when opening, a name that does not exist is asked for again.
// The session's own directory changes only when the caller enters the file.
std::optional<ChosenFile> ChooseFile(Session& session, const FileDialogRequest& request);

// File > Open Bmp: chooses a bitmap file and shows it. False when the chosen file could not
// be shown (its box was shown); cancelling is not a failure.
bool OpenBmpCommand(Session& session);

// File > Save Bmp: chooses a name and a format and writes the picture on show. A picture
// saved in its own format is written byte for byte as it was read; a name ending in ".PNG"
// gets the picture as shown as a PNG file. False when the picture could not be saved (its box
// was shown); cancelling is not a failure.
bool SaveBmpCommand(Session& session);

// Edit > Paste DIB: shows the clipboard's picture as "<Clipboard>". False when the clipboard
// held a picture that could not be shown.
bool PasteDibCommand(Session& session);

// Edit > Copy: puts the picture on show on the clipboard. 0 when nothing is on show.
int CopyCommand(Session& session);

}  // namespace kestrel
