// where FILE [--kep FILE] [--obs FILE] [--no-stamp]: the image information report of a camera
// file, printed as its box shows it; the file is stamped as the desktop program stamps it.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "cli/cli.h"
#include "location/image_information.h"
#include "platform/files.h"

namespace kestrel::cli {
namespace {

int RunWhere(Context& context) {
  Session& session = context.session;
  // The picture opens as from the command line, which leaves its header for the report; an
  // information file is reported on by itself, with no picture loaded.
  const OpenResult opened = OpenFromOutside(session, context.args.files.front());
  const std::string name = session.state.currentFilePath;
  if (opened == OpenResult::InformationFile) {
    session.state.shownImage.reset();
  } else if (opened != OpenResult::Shown) {
    if (opened != OpenResult::Failed)
      std::fprintf(stderr, "kestrel-cli: %s has no picture to report on\n", name.c_str());
    return kExitFailure;
  }

  InformationRequest request{WispFilesFromSettings(session), !context.args.Has("--no-stamp")};
  if (const auto kep = context.args.Value("--kep"))
    request.files.elementSetFile = std::filesystem::absolute(*kep);
  if (const auto obs = context.args.Value("--obs"))
    request.files.placesFile = std::filesystem::absolute(*obs);

  const InformationOutcome outcome = ReportImageInformation(session, name, request);
  if (outcome.shownReport) std::printf("%s\n", outcome.shownReport->c_str());
  return outcome.result == 1 ? kExitSuccess : kExitFailure;
}

const Registrar kWhere({"where", "where FILE [--kep FILE] [--obs FILE] [--no-stamp]",
                        {"--kep", "--obs"}, {"--no-stamp"}, 1, 1, RunWhere});

}  // namespace
}  // namespace kestrel::cli
