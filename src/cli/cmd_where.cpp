// where FILE [--kep FILE] [--obs FILE] [--no-stamp]: the image information report of a camera
// file, printed as its box shows it; the file is stamped as the desktop program stamps it.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "cli/cli.h"
#include "location/image_information.h"
#include "platform/files.h"
#include "satfiles/identification.h"

namespace kestrel::cli {
namespace {

constexpr std::string_view kInformationExtension = ".IMW";

// What opening the picture leaves for the report: its header, when its kind has one.
bool LoadHeaderAsOpeningDoes(Session& session) {
  if (!IdentifyImageFile(session)) return false;
  session.state.fileHeaderBuffer.fill(0);
  if (session.state.identification.headerLength != kCameraHeaderLength) return true;
  const auto path = FindFileIgnoringCase(session.currentDirectory, session.state.currentFilePath);
  const auto header = path ? ReadFilePrefix(*path, kCameraHeaderLength) : std::nullopt;
  if (!header) {
    ShowErrorBox(session, "Can't open file %s", session.state.currentFilePath.c_str());
    return false;
  }
  std::copy(header->begin(), header->end(), session.state.fileHeaderBuffer.begin());
  return true;
}

int RunWhere(Context& context) {
  Session& session = context.session;
  EnterFile(session, context.args.files.front());
  const std::string name = session.state.currentFilePath;
  // An information file is reported on by itself, with no picture loaded.
  if (name.find(kInformationExtension) == std::string::npos && !LoadHeaderAsOpeningDoes(session))
    return kExitFailure;

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
