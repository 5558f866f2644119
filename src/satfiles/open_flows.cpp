#include "satfiles/open_flows.h"

#include <string>

#include "session/current_image.h"
#include "satfiles/compressed_file_advice.h"
#include "satfiles/identification.h"
#include "satfiles/single_image.h"
#include "session/session.h"

namespace kestrel {

OpenResult OpenSingleSatelliteFile(Session& session) {
  ImageState& s = session.state;
  if (!IdentifyImageFile(session)) return OpenResult::Failed;
  const std::string& name = s.currentFilePath;
  const auto contains = [&](const char* part) { return name.find(part) != std::string::npos; };
  // Bitmap names get their own advice even when their third letter is a "C" (PICTURE.BMP).
  if (contains("BMP")) {
    ShowMessage(session, "This is a BMP file, Use Open Bmp", "File Error");
    return OpenResult::Failed;
  }
  if (!CompressedFileAdvice(session, s.currentFilePath)) return OpenResult::Failed;
  if (contains(".IMW")) return OpenResult::InformationFile;
  if (contains("IMC")) return OpenResult::CompressedImage;
  if (name.starts_with("TM4") || name.starts_with("TM5")) return OpenResult::Video;
  if (contains("ACT")) {
    ShowMessage(session, "Unsupported from Command Line - Use File/Preview ACT",
                "Command Line Open");
    return OpenResult::Failed;
  }
  WaitCursor wait(session.platform);
  s.processing.singleImageShown = true;
  s.shownImage = LoadSingleImage(session);
  const bool shown = s.shownImage && SetCurrentImage(session, s.shownImage);
  s.exposureLevel = static_cast<uint16_t>(255 - s.imageAverage);
  return shown ? OpenResult::Shown : OpenResult::Failed;
}

}  // namespace kestrel
