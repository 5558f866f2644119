// where FILE [--kep FILE] [--obs FILE] [--no-stamp]: the image information report of a camera
// file, printed as its box shows it; the file is stamped as the desktop program stamps it.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "cli/cli.h"
#include "location/image_information.h"
#include "platform/files.h"
#include "shell/settings.h"

namespace kestrel::cli {
namespace {

struct WhereOptions {
  std::string file;
  std::string kep;
  std::string obs;
  bool noStamp = false;
} options;

void DefineWhere(CLI::App& app) {
  app.add_option("FILE", options.file, "camera picture or a set's information file")->required();
  app.add_option("--kep", options.kep, "element-set file (default: the settings' one)");
  app.add_option("--obs", options.obs, "places file (default: the settings' one)");
  app.add_flag("--no-stamp", options.noStamp, "leave the file unstamped");
}

int RunWhere(Session& session) {
  // As the desktop program starts: the settings find the ground-station files, then the
  // picture's own folder becomes the session's directory.
  LoadSettings(session);
  // The picture opens as from the command line, which leaves its header for the report; an
  // information file is reported on by itself, with no picture loaded.
  const OpenResult opened = OpenFromOutside(session, options.file);
  const std::string name = session.state.currentFilePath;
  if (opened == OpenResult::InformationFile) {
    session.state.shownImage.reset();
  } else if (opened != OpenResult::Shown) {
    if (opened != OpenResult::Failed) return Complain("%s has no picture to report on", name.c_str());
    return kExitFailure;
  }

  InformationRequest request{WispFilesFromSettings(session), !options.noStamp};
  if (!options.kep.empty()) request.files.elementSetFile = std::filesystem::absolute(options.kep);
  if (!options.obs.empty()) request.files.placesFile = std::filesystem::absolute(options.obs);

  const InformationOutcome outcome = ReportImageInformation(session, name, request);
  if (outcome.result != 1) return kExitFailure;  // after the message of what stopped it
  // Done without a report: the header holds no capture time to place the picture by.
  if (!outcome.shownReport) return Complain("%s: no report to give: its header holds no capture time", name.c_str());
  std::printf("%s\n", outcome.shownReport->c_str());
  return kExitSuccess;
}

const Registrar kWhere({"where", "print where on Earth a picture was taken, as its report shows it",
                        DefineWhere, RunWhere});

}  // namespace
}  // namespace kestrel::cli
