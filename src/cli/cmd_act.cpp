// act FILE --preset uosat|kitsat|kbiw|tmsat|tm00 -o OUT: preview a raw download.

#include <string>

#include "cli/cli.h"
#include "satfiles/act_preview.h"

namespace kestrel::cli {
namespace {

int RunAct(Context& context) {
  Session& session = context.session;
  const auto out = context.args.Value("-o");
  if (!out) return UsageError(context, "act needs -o OUT");
  const auto preset = ActPresetNamed(context.args.Value("--preset").value_or(""));
  if (!preset) return UsageError(context, "--preset takes uosat, kitsat, kbiw, tmsat or tm00");
  EnterFile(session, context.args.files[0]);
  if (!PreviewActDownload(session, *preset)) return kExitFailure;
  const Block& picture = session.state.current.currentDib;
  return WritePicture(session, *picture, OutputPath(*out)) ? kExitSuccess : kExitFailure;
}

const Registrar kAct({"act", "act FILE --preset uosat|kitsat|kbiw|tmsat|tm00 -o OUT",
                      {"--preset", "-o"}, {}, 1, 1, RunAct});

}  // namespace
}  // namespace kestrel::cli
