#include "shell/open_file.h"

#include "base/text.h"
#include "codec/colour_set_decompression.h"
#include "location/image_information.h"
#include "processing/sharpening.h"
#include "satfiles/video.h"
#include "shell/settings.h"
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
                           bool colourSets, OpenOrigin origin) {
  EnterFile(session, file);
  session.state.openedFromShell = true;
  session.state.processing.quarterTurnsClockwise = 0;
  if (IsBitmapFileName(session.state.currentFilePath))
    return OpenBitmapAsCurrent(session) ? OpenResult::Shown : OpenResult::Failed;
  return OpenSingleSatelliteFile(session, origin, colourSets);
}

namespace {

constexpr uint32_t kDroppedPictureMs = 5000;

// What follows the open of one file named from outside: true when a picture is on show.
bool FinishOutsideOpen(Session& session, OpenResult result, bool report) {
  ImageState& s = session.state;
  switch (result) {
    case OpenResult::Failed:
      return false;
    case OpenResult::InformationFile:
      s.shownImage.reset();
      ShowImageInformation(session, s.currentFilePath);
      return false;
    case OpenResult::CompressedImage:
      s.processing.compressionDone = true;
      DecompressTmsatSet(session);
      return s.current.imageDisplayable;
    case OpenResult::Video:
      PlayTmsatVideo(session, s.currentFilePath);
      return s.current.imageDisplayable;
    case OpenResult::Shown:
      break;
  }
  if (s.sharpenAfterLoad) RunSharpenCommand(session, SharpenStrength::Default);
  // A bitmap has no capture time to report on.
  if (report && !IsBitmapFileName(s.currentFilePath)) ShowImageInformation(session, s.currentFilePath);
  s.exposureLevel = static_cast<uint16_t>(255 - s.imageAverage);
  return true;
}

}  // namespace

bool CommandLineOpen(Session& session, const std::filesystem::path& file, bool colourSets) {
  if (file.empty()) return false;  // nothing was named
  LoadSettings(session);
  WaitCursor wait(session.platform);
  return FinishOutsideOpen(session, OpenFromOutside(session, file, colourSets), true);
}

void OpenDroppedFiles(Session& session, const std::vector<std::filesystem::path>& files) {
  ImageState& s = session.state;
  for (size_t i = files.size(); i-- > 0;) {
    WaitCursor wait(session.platform);
    s.processing.singleImageShown = false;
    const OpenResult result = OpenFromOutside(session, files[i], false, OpenOrigin::Drop);
    // The loader was reached when a single picture was asked for: its failure is no refusal,
    // and the drop goes on after the pause.
    const bool loadFailed = result == OpenResult::Failed && s.processing.singleImageShown;
    if (result != OpenResult::Shown && !loadFailed) {
      FinishOutsideOpen(session, result, false);  // a refusal, or a kind with its own flow
      return;
    }
    LoadSettings(session);
    const bool last = i == 0;
    const bool shown = FinishOutsideOpen(session, result, last);
    if (!last || !shown) session.platform.Pause(kDroppedPictureMs);
  }
}

}  // namespace kestrel
