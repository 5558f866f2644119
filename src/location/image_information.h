#pragma once
// The image information report: which satellite took the picture, when, where it was and
// how far from the nearest known place; kept in the file's header the first time.

#include <filesystem>
#include <optional>
#include <string>

namespace kestrel {

struct Session;

// The ground-station software's element-set and places files.
struct WispFiles {
  std::filesystem::path elementSetFile;
  std::filesystem::path placesFile;
};

// The files that loading the settings found; before any settings were loaded, those in the
// session's directory.
WispFiles WispFilesFromSettings(Session& session);

struct InformationRequest {
  WispFiles files;
  bool writeStamp = true;  // false: show the report but leave every file as it was
};

struct InformationOutcome {
  int result = 0;                         // 1 when done, 0 when stopped by an error
  std::optional<std::string> shownReport;  // the text of the box, when one was shown
};

// Reports on `fileName` (a bare upper-case name in the session's directory), taking the
// capture time from the file header buffer.
InformationOutcome ReportImageInformation(Session& session, const std::string& fileName,
                                          const InformationRequest& request);

// The report with the registered element-set and places files; 1 when done, 0 on error.
int ShowImageInformation(Session& session, const std::string& fileName);

}  // namespace kestrel
