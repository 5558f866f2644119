#pragma once
// The image information report: which satellite took the picture, when, where it was and
// how far from the nearest known place; kept in the file's header the first time.

#include <optional>
#include <string>
#include <vector>

#include "location/picture_location.h"

namespace kestrel {

struct Session;

struct InformationRequest {
  LocationFiles files;
  bool writeStamp = true;  // false: show the report but leave every file as it was
};

struct InformationOutcome {
  int result = 0;                         // 1 when done, 0 when stopped by an error
  std::optional<std::string> shownReport;  // the text of the box, when one was shown
  std::vector<SkippedSet> skippedSets;     // faulty two-line sets passed over
};

// Reports on `fileName` (a bare upper-case name in the session's directory), taking the
// capture time from the file header buffer.
InformationOutcome ReportImageInformation(Session& session, const std::string& fileName,
                                          const InformationRequest& request);

// The report a located picture gets when it is not yet stamped, as its box shows it.
std::string ReportText(const PictureLocation& location);

// The report with the registered element-set and places files; 1 when done, 0 on error.
int ShowImageInformation(Session& session, const std::string& fileName);

}  // namespace kestrel
