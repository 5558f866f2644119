// act FILE --preset uosat|kitsat|kbiw|tmsat|tm00 -o OUT: preview a raw download.

#include <string>

#include "cli/cli.h"
#include "satfiles/act_preview.h"

namespace kestrel::cli {
namespace {

struct ActOptions {
  std::string file;
  std::string preset;
  std::string out;
} options;

void DefineAct(CLI::App& app) {
  app.add_option("FILE", options.file, "raw download")->required();
  app.add_option("--preset", options.preset, "the camera's layout")
      ->required()
      ->check(CLI::Validator(
          [](const std::string& name) {
            return ActPresetNamed(name) ? "" : "takes uosat, kitsat, kbiw, tmsat or tm00";
          },
          "uosat|kitsat|kbiw|tmsat|tm00"));
  app.add_option("-o", options.out, "output: .png, anything else a bitmap file")->required();
}

int RunAct(Session& session) {
  const auto out = OutputPath(options.out);
  EnterFile(session, options.file);
  if (OutputIsAnInput(session, out, {session.state.currentFilePath})) return kExitFailure;
  if (!PreviewActDownload(session, *ActPresetNamed(options.preset))) return kExitFailure;
  const Block& picture = session.state.current.currentDib;
  return WritePicture(session, *picture, out) ? kExitSuccess : kExitFailure;
}

const Registrar kAct({"act", "preview a raw download in one camera's layout", DefineAct, RunAct});

}  // namespace
}  // namespace kestrel::cli
