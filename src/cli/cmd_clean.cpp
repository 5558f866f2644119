// clean RAW [-o OUT]: the raw file less its repeated blocks, by default as RAW.CCD beside it.

#include <string>

#include "cli/cli.h"
#include "platform/files.h"
#include "satfiles/repeated_blocks.h"

namespace kestrel::cli {
namespace {

int RunClean(Context& context) {
  Session& session = context.session;
  EnterFile(session, context.args.files[0]);
  const std::string& name = session.state.currentFilePath;
  const auto source = FindFileIgnoringCase(session.currentDirectory, name);
  if (!source) return ShowErrorBox(session, "Can't open file %s", name.c_str()), kExitFailure;
  // The cleaned copy takes the upper-case name, as every file the program writes.
  const auto out = context.args.Value("-o");
  const std::filesystem::path destination =
      out ? OutputPath(*out) : session.currentDirectory / (name + ".CCD");
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

const Registrar kClean({"clean", "clean RAW [-o OUT]", {"-o"}, {}, 1, 1, RunClean});

}  // namespace
}  // namespace kestrel::cli
