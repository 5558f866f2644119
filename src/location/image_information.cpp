#include "location/image_information.h"

#include <algorithm>
#include <span>
#include <string_view>

#include "location/picture_location.h"
#include "location/report.h"
#include "platform/files.h"
#include "session/session.h"

namespace kestrel {
namespace fs = std::filesystem;
namespace {

constexpr std::string_view kTmsatPrefix = "TM";
constexpr std::string_view kInformationExtension = ".IMW";
// TM1D0042.IMC keeps its set's information in TM0D0042.IMW.
constexpr size_t kInformationCameraPosition = 2;
constexpr char kInformationCamera = '0';
constexpr size_t kInformationKindPosition = 11;
constexpr char kInformationKind = 'W';
constexpr std::string_view kReportCaption = "CCD Image Information";

// The report as computed, before any stamp decides what is shown.
struct ComposedReport {
  std::string report;     // title and, unless withheld, the position lines
  std::string placeText;  // bearing, distance and name of the nearest place
  std::string sourceLine;  // which element set placed the picture, for two-line sets
  ReportStatus status = ReportStatus::Current;
  std::vector<SkippedSet> skippedSets;
};

ComposedReport ComposeReportOf(const PictureLocation& location) {
  ComposedReport composed;
  composed.status = StatusForEpochAge(location.epochAgeDays);
  composed.report = ReportTitle(location.designation, CaptureDateText(UtcCalendarFields(location.captureTime)));
  if (composed.status != ReportStatus::Withheld)
    composed.report += PositionLines(location.latitude, location.longitude);
  composed.placeText = PlaceText(location.nearestPlace);
  // The ground-station program's element sets keep the report they always gave.
  if (location.source == ElementSource::TwoLine)
    composed.sourceLine.append("\n").append(ElementSourceLine(location));
  composed.skippedSets = location.skippedSets;
  return composed;
}

std::optional<ComposedReport> ComposeReport(Session& session, const std::string& fileName,
                                            uint32_t captureTime, const LocationFiles& files) {
  const auto location = LocatePicture(session, fileName, captureTime, files);
  if (!location) return std::nullopt;
  return ComposeReportOf(*location);
}

// The report to store: the place only when the position can be trusted.
std::string ReportToStore(const ComposedReport& composed) {
  return composed.status == ReportStatus::Current ? composed.report + composed.placeText
                                                  : composed.report;
}

// The header read from the file with the stamp written into it: nothing else in the file
// changes. A failed write is not reported and leaves the file as it was.
void WriteStamp(const fs::path& path, const FileHeader& header) { ReplaceFileStart(path, header); }

// Reads the first bytes of `path` over the header buffer, as far as the file reaches.
bool ReadHeaderInto(const fs::path& path, FileHeader& header, size_t* bytesRead) {
  const auto prefix = ReadFilePrefix(path, header.size());
  if (!prefix) return false;
  std::copy(prefix->begin(), prefix->end(), header.begin());
  *bytesRead = prefix->size();
  return true;
}

// A TMSat set keeps its report, warnings included, in the set's information file, which is
// made when missing. Gives the report to show, or none after an error box.
std::optional<std::string> UseInformationFile(Session& session, const std::string& fileName,
                                              const std::optional<ComposedReport>& composed,
                                              bool writeStamp) {
  if (fileName.size() <= kInformationKindPosition)
    return ShowErrorBox(session, "Can't open file %s", fileName.c_str()), std::nullopt;
  std::string targetName = fileName;
  targetName[kInformationCameraPosition] = kInformationCamera;
  targetName[kInformationKindPosition] = kInformationKind;
  const fs::path target = ResolveFileName(session.currentDirectory, targetName);

  FileHeader& header = session.state.fileHeaderBuffer;
  size_t bytesRead = 0;
  std::error_code ec;
  if (fs::exists(target, ec) && !ReadHeaderInto(target, header, &bytesRead))
    return ShowErrorBox(session, "Can't open file %s", targetName.c_str()), std::nullopt;

  if (HasInformationStamp(header)) return StoredInformationReport(header);
  if (!composed) {
    // An information file opened by itself: there is no report to store in it.
    ShowErrorBox(session, "There is no image information stored in %s", targetName.c_str());
    return std::nullopt;
  }
  const std::string report = ReportToStore(*composed) + std::string(WarningFor(composed->status));
  const auto spans = StampInformationHeader(header, report);
  if (writeStamp) {
    if (bytesRead == header.size()) {
      WriteStamp(target, header);
    } else {
      // Missing, or shorter than a header: its bytes so far, with the stamp, become the header.
      WriteFileReplacing(target, header);
    }
  }
  return report + composed->sourceLine;
}

// Any other camera file keeps the report without warnings and its status in its own header.
std::optional<std::string> UseImageFile(Session& session, const std::string& fileName,
                                        const ComposedReport& composed, bool writeStamp) {
  FileHeader& header = session.state.fileHeaderBuffer;
  const auto path = FindFileIgnoringCase(session.currentDirectory, fileName);
  size_t bytesRead = 0;
  if (!path || !ReadHeaderInto(*path, header, &bytesRead))
    return ShowErrorBox(session, "Can't open file %s", fileName.c_str()), std::nullopt;

  if (HasImageStamp(header)) {
    const auto status = static_cast<ReportStatus>(header[image_stamp::kStatus]);
    return StoredImageReport(header) + std::string(WarningFor(status));
  }
  const std::string report = ReportToStore(composed);
  const auto spans = StampImageHeader(header, report, composed.status);
  // A file too short for a header is never lengthened by a stamp.
  if (writeStamp && bytesRead == header.size()) WriteStamp(*path, header);
  return report + std::string(WarningFor(composed.status)) + composed.sourceLine;
}

}  // namespace

InformationOutcome ReportImageInformation(Session& session, const std::string& fileName,
                                          const InformationRequest& request) {
  ImageState& state = session.state;
  const bool tmsatName = fileName.starts_with(kTmsatPrefix);
  const bool informationFile = fileName.find(kInformationExtension) != std::string::npos;
  if (tmsatName) state.tmHeaderCopy = state.fileHeaderBuffer;
  const uint32_t captureTime = HeaderCaptureTime(state.fileHeaderBuffer, fileName);

  // An information file opened by itself has no picture, so nothing is computed.
  std::optional<ComposedReport> composed;
  if (!informationFile) {
    if (captureTime == 0) return {1, std::nullopt, {}};
    composed = ComposeReport(session, fileName, captureTime, request.files);
    if (!composed) return {0, std::nullopt, {}};
  }

  const auto shown = tmsatName || informationFile
                         ? UseInformationFile(session, fileName, composed, request.writeStamp)
                         : UseImageFile(session, fileName, *composed, request.writeStamp);
  if (!shown) return {0, std::nullopt, {}};

  InformationOutcome outcome{1, std::nullopt, composed ? composed->skippedSets : std::vector<SkippedSet>{}};
  if (CarriesCompleteStamp(state.fileHeaderBuffer)) {
    outcome.shownReport = *shown;
    const BoxAnswer answer = session.platform.ShowMessageBox(*shown, kReportCaption,
                                                             BoxIcon::None, BoxButtons::OkCancel);
    // An information file opened on its own, with no picture loaded: OK ends the program.
    if (answer == BoxAnswer::Ok && HasInformationStamp(state.fileHeaderBuffer) &&
        captureTime == 0)
      session.platform.CloseMainWindow();
  }
  return outcome;
}

std::string ReportText(const PictureLocation& location) {
  const ComposedReport composed = ComposeReportOf(location);
  return ReportToStore(composed) + std::string(WarningFor(composed.status)) + composed.sourceLine;
}

int ShowImageInformation(Session& session, const std::string& fileName) {
  return ReportImageInformation(session, fileName, {LocationFilesFromSettings(session), true}).result;
}

}  // namespace kestrel
