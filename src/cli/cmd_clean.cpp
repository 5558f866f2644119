// clean RAW [-o OUT]: the raw file less its repeated blocks, by default as RAW.CCD beside it.

#include <string>

#include "cli/cli.h"
#include "platform/files.h"
#include "satfiles/repeated_blocks.h"

namespace kestrel::cli {
namespace {

struct CleanOptions {
  std::string file;
  std::string out;
} options;

void DefineClean(CLI::App& app) {
  app.add_option("RAW", options.file, "raw camera file")->required();
  app.add_option("-o", options.out, "output (default: RAW.CCD beside RAW)");
}

int RunClean(Session& session) {
  EnterFile(session, options.file);
  const std::string& name = session.state.currentFilePath;
  // A name with .CCD in it is a cleaned copy already; NAME.CCD.CCD would be a copy of a copy.
  if (options.out.empty() && name.find(".CCD") != std::string::npos)
    return Complain("%s is a cleaned copy already; nothing written (-o names another output)",
                    name.c_str());
  const auto source = FindFileIgnoringCase(session.currentDirectory, name);
  if (!source) return ShowErrorBox(session, "Can't open file %s", name.c_str()), kExitFailure;
  // The cleaned copy takes the upper-case name, as every file the program writes.
  const std::filesystem::path destination =
      options.out.empty() ? session.currentDirectory / (name + ".CCD") : OutputPath(options.out);
  if (OutputIsAnInput(session, destination, {name})) return kExitFailure;
  switch (RemoveRepeatedBlocks(*source, destination)) {
    case CleanOutcome::Cleaned:
      return kExitSuccess;
    case CleanOutcome::SourceUnreadable:
      return ShowErrorBox(session, "Can't open file %s", name.c_str()), kExitFailure;
    case CleanOutcome::DestinationUnwritable:
      break;
  }
  return ShowErrorBox(session, "Can't open file %s", destination.c_str()), kExitFailure;
}

const Registrar kClean({"clean", "write a raw file less the blocks its download repeated",
                        DefineClean, RunClean});

}  // namespace
}  // namespace kestrel::cli
