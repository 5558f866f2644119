#include "satfiles/open_flows.h"

#include <string>

#include "platform/files.h"
#include "processing/colour_set_edits.h"
#include "satfiles/compressed_file_advice.h"
#include "satfiles/identification.h"
#include "satfiles/single_image.h"
#include "satfiles/spectral_set.h"
#include "session/current_image.h"
#include "session/session.h"

namespace kestrel {

namespace {

bool IsSpectralPlaneName(std::string_view name) {
  return name.starts_with("TM1") || name.starts_with("TM2") || name.starts_with("TM3");
}

// Loads the current file as one grey picture.
OpenResult LoadAndShowSingleImage(Session& session) {
  ImageState& s = session.state;
  WaitCursor wait(session.platform);
  s.processing.singleImageShown = true;
  s.shownImage = LoadSingleImage(session);
  const bool shown = s.shownImage && SetCurrentImage(session, s.shownImage);
  s.exposureLevel = static_cast<uint16_t>(255 - s.imageAverage);
  return shown ? OpenResult::Shown : OpenResult::Failed;
}

}  // namespace

OpenResult OpenSpectralSet(Session& session) {
  ImageState& s = session.state;
  session.platform.OpenLoadingLog();
  SetLoadingText(session, "Commencing File Load for Spectral Images\n");
  const std::string chosen = s.currentFilePath;
  std::array<std::string, 3> names;
  bool allFound = true;
  for (size_t k = 0; k < 3; ++k) {
    names[k] = chosen;
    names[k][2] = static_cast<char>('1' + k);
    const auto path = FindFileIgnoringCase(session.currentDirectory, names[k]);
    const auto size = path ? RegularFileSize(*path) : std::nullopt;
    if (!size) {
      allFound = false;
      continue;
    }
    // A plane that opens is listed whatever its size; only the right size counts as found.
    allFound = allFound && *size == s.identification.ExpectedFileSize();
    AppendLoadingText(session, names[k] + "  Located\n");
  }
  if (!allFound) {
    const OpenResult result = LoadAndShowSingleImage(session);
    session.platform.CloseLoadingLog();
    return result;
  }
  WaitCursor wait(session.platform);
  if (!ComposeColourSet(session, names)) return OpenResult::Failed;
  session.platform.CloseLoadingLog();
  return OpenResult::Shown;
}

namespace {

// The composition, from the colour set that `load` leaves in the loaded image.
template <typename LoadSet>
bool Compose(Session& session, const LoadSet& load) {
  ImageState& s = session.state;
  s.mix = MixCoefficients{};
  s.planes = PlaneSelection{};
  s.processing.colourSetShown = true;
  s.processing.singleImageShown = false;
  s.pixelAdjustAvailable = false;
  s.shownImage = load();
  if (!s.shownImage) {
    session.platform.CloseLoadingLog();
    return false;
  }
  SetLoadingText(session, "Initial Processing Complete\n");
  // The plane in the green byte is mounted the other way round: a half turn.
  s.planes = {.ir = false, .red = true, .green = false, .all = false};
  s.shownImage = RotateColourPlanes(session, s.shownImage, Turn::Clockwise);
  s.shownImage = RotateColourPlanes(session, s.shownImage, Turn::Clockwise);
  AppendLoadingText(session, "Green Plane Image Rotated\n");
  s.planes = {.ir = true, .red = true, .green = true, .all = true};
  s.shownImage = DuplicateBlock(s.shownImage);
  AppendLoadingText(session, "Refreshing Image\n");
  SetCurrentImage(session, s.shownImage);
  s.shownImage = MixColours(session, s.shownImage);
  SetCurrentImage(session, s.shownImage);
  ApplyAutomaticCompensation(session, true);
  return true;
}

}  // namespace

bool ComposeColourSet(Session& session, const std::array<std::string, 3>& names) {
  return Compose(session, [&] { return LoadSpectralSet(session, names); });
}

bool ComposeColourSet(Session& session, const std::array<std::string, 3>& names,
                      const std::array<std::span<const uint8_t>, 3>& planes) {
  return Compose(session, [&] { return LoadSpectralSet(session, names, planes); });
}

OpenResult OpenSingleSatelliteFile(Session& session, OpenOrigin origin, bool colourSets) {
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
  const bool video = name.starts_with("TM4") || name.starts_with("TM5");
  if (video && origin == OpenOrigin::CommandLine) return OpenResult::Video;
  if (contains("ACT")) {
    if (origin == OpenOrigin::CommandLine)
      ShowMessage(session, "Unsupported from Command Line - Use File/Preview ACT",
                  "Command Line Open");
    else
      ShowMessage(session, "Unsupported Drag and Drop - Use File/Preview ACT", "Drag and Drop");
    return OpenResult::Failed;
  }
  if (video) return OpenResult::Video;
  if (colourSets && IsSpectralPlaneName(name)) {
    if (s.identification.fileWidth == 0 || s.identification.fileHeight == 0) {
      ShowMessage(session, "Invalid Parameters - Image cannot be processed", "CCD Image Error");
      return OpenResult::Failed;
    }
    return OpenSpectralSet(session);
  }
  return LoadAndShowSingleImage(session);
}

}  // namespace kestrel
