#include "satfiles/open_ccd.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "base/command_ids.h"
#include "base/text.h"
#include "location/image_information.h"
#include "platform/files.h"
#include "platform/settings_file.h"
#include "processing/sharpening.h"
#include "satfiles/act_preview.h"
#include "satfiles/identification.h"
#include "satfiles/open_flows.h"
#include "satfiles/repeated_blocks.h"
#include "satfiles/single_image.h"
#include "satfiles/video.h"
#include "session/current_image.h"
#include "session/session.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

enum class Filter {
  Standard, Decompressed, Uosat5, Kitsat1, Kitsat2, Posat1, WideAngle, NarrowAngle,
  AllThumbnails, AllFiles, Tmsat, Act, Compressed, TmsatWideAngle, TmsatSpectral, TmsatVideo,
  CompressedSets, TmsatWideAngleThumbnails, TmsatSetThumbnails,
};

FileFilter FilterFor(Filter filter) {
  switch (filter) {
    case Filter::Standard:
      return {"All (Standard) Image Files", {"IM0*", "U5I*", "KAI*", "KBI*", "P1D*", "*.IMI"}};
    case Filter::Decompressed: return {"All (Decompressed) Image Files", {"??D*"}};
    case Filter::Uosat5: return {"UoSat 5 Images", {"IM0*", "U5IW*"}};
    case Filter::Kitsat1: return {"Kitsat1 Images", {"KAI*"}};
    case Filter::Kitsat2: return {"Kitsat2 Images", {"KBI*"}};
    case Filter::Posat1: return {"Posat1 Images", {"P1D*"}};
    case Filter::WideAngle: return {"Wide Angle Images", {"IM0*", "U5IW*", "KAIW*", "KBIW*"}};
    case Filter::NarrowAngle: return {"Narrow Angle Images", {"KAIN*", "KBIN*"}};
    case Filter::AllThumbnails:
      return {"Thumb Nail - All Sats",
              {"??T*", "TM01????.IMT", "TM11????.IMT", "TM21????.IMT", "TM31????.IMT"}};
    case Filter::AllFiles: return {"All Files", {"*.*"}};
    case Filter::Tmsat: return {"TMSat1 Images", {"TM??????.IMI"}};
    case Filter::Act: return {"Raw .ACT Files", {"*.ACT"}};
    case Filter::Compressed:
      return {"All (Compressed) Images",
              {"??T*", "TM0?????.IMC", "TM1?????.IMC", "TM2?????.IMC", "TM3?????.IMC"}};
    case Filter::TmsatWideAngle: return {"TMSat1 Wide Angle Images", {"TM00??00.IMI"}};
    case Filter::TmsatSpectral:
      return {"TMSat1 Spectral Images", {"TM1?????.IMI", "TM2?????.IMI", "TM3?????.IMI"}};
    case Filter::TmsatVideo: return {"TMSat1 Video Images", {"TM4?????.IMI", "TM5?????.IMI"}};
    case Filter::CompressedSets:
      return {"Sets (Compressed) Images", {"TM1?????.IMC", "TM2?????.IMC", "TM3?????.IMC"}};
    case Filter::TmsatWideAngleThumbnails: return {"Thumb Nail - TMSat Wide Angle", {"TM0?????.IMT"}};
    case Filter::TmsatSetThumbnails:
      return {"Thumb Nail - TMSat Colour Sets", {"TM1?????.IMT", "TM2?????.IMT", "TM3?????.IMT"}};
  }
  return {};
}

FileChooserRequest RequestFor(SatelliteDialogMode mode, const fs::path& directory) {
  using F = Filter;
  struct ModeLayout {
    const char* title;
    std::vector<Filter> filters;
  };
  const ModeLayout layout = [mode]() -> ModeLayout {
    switch (mode) {
      case SatelliteDialogMode::OpenCcd:
        return {"Open CCD Image Files",
                {F::Standard, F::AllThumbnails, F::TmsatWideAngleThumbnails, F::TmsatSetThumbnails,
                 F::Tmsat, F::TmsatWideAngle, F::TmsatSpectral, F::TmsatVideo, F::Uosat5, F::Kitsat1,
                 F::Kitsat2, F::Posat1, F::WideAngle, F::NarrowAngle, F::AllFiles}};
      case SatelliteDialogMode::SingleCompressed:
        return {"Open Single Compressed Image Files", {F::Compressed, F::AllFiles}};
      case SatelliteDialogMode::CompressedSets:
        return {"Open Compressed Coloured Sets", {F::CompressedSets, F::Compressed, F::AllFiles}};
      case SatelliteDialogMode::ActDownloads: return {"Open .ACT Files", {F::Act, F::AllFiles}};
      case SatelliteDialogMode::Decompressed: return {"", {F::Decompressed}};
    }
    return {};
  }();
  FileChooserRequest request{layout.title, directory.string(), {}, {}, std::nullopt};
  for (Filter filter : layout.filters) request.filters.push_back(FilterFor(filter));
  return request;
}

bool Contains(const std::string& name, const char* part) { return name.find(part) != std::string::npos; }

void CloseImageDialogs(Session& session) {
  ImageState& s = session.state;
  if (!s.exposureDialog.open && !s.colourDialog.open) return;
  s.exposureDialog.open = s.colourDialog.open = false;
  session.platform.ImageDialogsChanged();
}

// Sharpening after a load, when the settings ask for it, then the report.
void FinishLoad(Session& session, bool loaded) {
  if (session.state.sharpenAfterLoad) RunSharpenCommand(session, SharpenStrength::Default);
  if (loaded) ShowImageInformation(session, session.state.currentFilePath);
}

// The name matched no kind: the record has no size. The command's result is 0.
int InvalidParameters(Session& session) {
  session.platform.CloseLoadingLog();
  ShowMessage(session, "Invalid Parameters - Image cannot be processed", "CCD Image Error");
  return 0;
}

// The single-image route: identify, load, show, sharpen, report.
int SingleImageRoute(Session& session, int dialogResult) {
  ImageState& s = session.state;
  if (dialogResult <= 0) return 1;
  WaitCursor wait(session.platform);
  if (!IdentifyImageFile(session) || s.identification.fileWidth == 0 ||
      s.identification.fileHeight == 0)
    return InvalidParameters(session);
  s.processing.singleImageShown = true;
  s.shownImage = LoadSingleImage(session);
  const bool loaded = s.shownImage && SetCurrentImage(session, s.shownImage);
  session.platform.CloseLoadingLog();
  FinishLoad(session, loaded);
  s.exposureLevel = static_cast<uint16_t>(255 - s.imageAverage);
  return 1;
}

int TmsatRoute(Session& session) {
  ImageState& s = session.state;
  WaitCursor wait(session.platform);
  if (!IdentifyImageFile(session) || s.identification.fileWidth == 0 ||
      s.identification.fileHeight == 0)
    return InvalidParameters(session);
  const std::string& name = s.currentFilePath;
  if (name.starts_with("TM0")) return SingleImageRoute(session, 1);
  if (name.starts_with("TM4") || name.starts_with("TM5")) {
    PlayTmsatVideo(session, name);
    return 1;
  }
  const OpenResult result = OpenSpectralSet(session);
  FinishLoad(session, result == OpenResult::Shown);
  return result == OpenResult::Shown ? 1 : 0;
}

}  // namespace

int OpenSatelliteFileDialog(Session& session, SatelliteDialogMode mode) {
  ImageState& s = session.state;
  const auto choice = session.platform.ChooseFileToOpen(RequestFor(mode, session.currentDirectory));
  if (!choice || choice->path.empty()) {
    s.currentFilePath.clear();
    return 0;
  }
  const fs::path chosen = fs::absolute(session.currentDirectory / choice->path);
  session.currentDirectory = chosen.parent_path();
  s.selectedFileDirectory = session.currentDirectory.string() + "/";
  s.currentFilePath = chosen.filename().string();
  std::error_code ec;
  return fs::is_regular_file(chosen, ec) && ReadFilePrefix(chosen, 1) ? 1 : -1;
}

int OpenCcdCommand(Session& session) {
  ImageState& s = session.state;
  CloseImageDialogs(session);
  const int dialogResult = OpenSatelliteFileDialog(session, SatelliteDialogMode::OpenCcd);
  if (s.currentFilePath.empty()) return 0;
  ResetProcessingState(session);
  s.currentFilePath = ToUpperAscii(s.currentFilePath);
  const std::string& name = s.currentFilePath;
  if (Contains(name, "BMP")) {
    ShowMessage(session, "This is a BMP file, Use Open Bmp", "File Error");
    return 0;
  }
  if (Contains(name, "IMC")) {
    ShowMessage(session, "This is a Compressed File, Use File, Decompress", "File Error");
    return 0;
  }
  if (name.starts_with("TM") && dialogResult > 0) return TmsatRoute(session);

  // A raw download is cleaned of repeated blocks into NAME.CCD beside it, which is loaded.
  const bool raw = name.starts_with("U5") || name.starts_with("KA") || name.starts_with("KB") ||
                   name.starts_with("P1T") || name.starts_with("IM");
  if (raw && !Contains(name, ".CCD")) {
    const std::string source = name;
    s.currentFilePath += ".CCD";
    if (const auto path = FindFileIgnoringCase(session.currentDirectory, source))
      RemoveRepeatedBlocks(*path, ResolveFileName(session.currentDirectory, s.currentFilePath));
  }
  if (!Contains(s.currentFilePath, "CCD")) {
    session.platform.CloseLoadingLog();
    ShowMessage(session, "Unsupported File type", "CCD Error");
    return 0;
  }
  return SingleImageRoute(session, dialogResult);
}

bool PreviewActCommand(Session& session, int command) {
  ImageState& s = session.state;
  const ActPreset preset = command == kCmdPreviewActUosat    ? ActPreset::Uosat
                           : command == kCmdPreviewActKitsat ? ActPreset::Kitsat
                           : command == kCmdPreviewActKbiw   ? ActPreset::KitsatWide
                           : command == kCmdPreviewActTmsat  ? ActPreset::Tmsat
                                                             : ActPreset::TmsatWideAngle;
  ApplyActPreset(s.identification, preset);
  if (s.exposureDialog.open) {
    s.exposureDialog.open = false;
    session.platform.ImageDialogsChanged();
  }
  ResetProcessingState(session);
  // The chooser opens where the ground-station software keeps its files.
  if (!s.settings.elementSetDirectory.empty()) {
    const auto folder = ResolveSettingDirectory(s.settings.elementSetDirectory,
                                                session.currentDirectory, HostFolders::FromEnvironment());
    std::error_code ec;
    if (folder && std::filesystem::is_directory(*folder, ec)) session.currentDirectory = *folder;
  }
  const int dialogResult = OpenSatelliteFileDialog(session, SatelliteDialogMode::ActDownloads);
  if (s.currentFilePath.empty()) return false;
  s.currentFilePath = ToUpperAscii(s.currentFilePath);
  if (Contains(s.currentFilePath, "BMP")) {
    ShowMessage(session, "This is a BMP file, Use Open Bmp", "File Error");
    return false;
  }
  if (dialogResult <= 0) return false;
  return PreviewActDownload(session, preset);
}

}  // namespace kestrel
