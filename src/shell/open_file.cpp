#include "shell/open_file.h"

#include "base/text.h"
#include "session/current_image.h"
#include "session/session.h"

namespace kestrel {

void EnterFile(Session& session, const std::filesystem::path& file) {
  const std::filesystem::path path = std::filesystem::absolute(file);
  session.currentDirectory = path.parent_path();
  session.state.currentFilePath = ToUpperAscii(path.filename().string());
  session.state.selectedFileDirectory = session.currentDirectory.string() + "/";
}

bool IsBitmapFileName(std::string_view name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string extension = ToUpperAscii(name.substr(dot));
  return extension == ".BMP" || extension == ".DIB" || extension == ".RLE";
}

OpenResult OpenFromOutside(Session& session, const std::filesystem::path& file,
                           bool colourSets) {
  EnterFile(session, file);
  session.state.openedFromShell = true;
  if (IsBitmapFileName(session.state.currentFilePath))
    return OpenBitmapAsCurrent(session) ? OpenResult::Shown : OpenResult::Failed;
  return OpenSingleSatelliteFile(session, colourSets);
}

}  // namespace kestrel
