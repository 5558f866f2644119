#include "satfiles/open_flows.h"

#include <string>

#include "bitmap/current_image.h"
#include "satfiles/compressed_file_advice.h"
#include "satfiles/identification.h"
#include "satfiles/single_image.h"
#include "shell/session.h"

namespace kestrel {

SatelliteOpenResult OpenSingleSatelliteFile(Session& session) {
  ImageState& s = session.state;
  if (!IdentifyImageFile(session)) return SatelliteOpenResult::Failed;
  const std::string& name = s.currentFilePath;
  const auto contains = [&](const char* part) { return name.find(part) != std::string::npos; };
  // Bitmap names get their own advice even when their third letter is a "C" (PICTURE.BMP).
  if (contains("BMP")) {
    ShowMessage(session, "This is a BMP file, Use Open Bmp", "File Error");
    return SatelliteOpenResult::Failed;
  }
  if (!CompressedFileAdvice(session, s.currentFilePath)) return SatelliteOpenResult::Failed;
  if (contains(".IMW")) return SatelliteOpenResult::InformationFile;
  if (contains("IMC")) return SatelliteOpenResult::CompressedImage;
  if (name.starts_with("TM4") || name.starts_with("TM5")) return SatelliteOpenResult::Video;
  if (contains("ACT")) {
    ShowMessage(session, "Unsupported from Command Line - Use File/Preview ACT",
                "Command Line Open");
    return SatelliteOpenResult::Failed;
  }
  WaitCursor wait(session.platform);
  s.singleImageShown = true;
  s.shownImage = LoadSingleImage(session);
  const bool shown = s.shownImage && SetCurrentImage(session, s.shownImage);
  s.exposureLevel = static_cast<uint16_t>(255 - s.imageAverage);
  return shown ? SatelliteOpenResult::Shown : SatelliteOpenResult::Failed;
}

}  // namespace kestrel
