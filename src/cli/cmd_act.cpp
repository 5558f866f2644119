// act FILE... --preset uosat|kitsat|kbiw|tmsat|tm00 -o OUT | --outdir DIR: preview raw downloads.

#include <string>

#include "cli/cli.h"
#include "satfiles/act_preview.h"

namespace kestrel::cli {
namespace {

const BatchRules kRules{.filesHelp = "raw downloads", .outHelp = "output of one FILE: .bmp or .png"};

struct ActOptions {
  BatchOptions batch;
  std::string preset;
} options;

void DefineAct(CLI::App& app) {
  DefineBatchOptions(app, options.batch, kRules);
  app.add_option("--preset", options.preset, "the camera's layout")
      ->required()
      ->check(CLI::Validator(
          [](const std::string& name) {
            return ActPresetNamed(name) ? "" : "takes uosat, kitsat, kbiw, tmsat or tm00";
          },
          "uosat|kitsat|kbiw|tmsat|tm00"));
}

int PreviewFile(Session& session, const std::string& file, const std::filesystem::path& out) {
  EnterFile(session, file);
  if (OutputIsAnInput(session, out, {session.state.currentFilePath})) return kExitFailure;
  if (!PreviewActDownload(session, *ActPresetNamed(options.preset))) return kExitFailure;
  const Block& picture = session.state.current.currentDib;
  return WritePicture(session, *picture, out) ? kExitSuccess : kExitFailure;
}

int RunAct(Session& session) { return RunBatch(session, options.batch, kRules, PreviewFile); }

const Registrar kAct({"act", "preview a raw download in one camera's layout", DefineAct, RunAct});

}  // namespace
}  // namespace kestrel::cli
