#pragma once
// Opening a file named by the user outside the program's own dialogs: on the command line,
// or to kestrel-cli.

#include <filesystem>
#include <string_view>

namespace kestrel {

struct Session;

// Makes the file's folder the session's directory and its upper-cased bare name the current
// file path, as every open does.
void EnterFile(Session& session, const std::filesystem::path& file);

// Bitmap files are known by their extension: .BMP, .DIB or .RLE in any case.
bool IsBitmapFileName(std::string_view name);

}  // namespace kestrel
