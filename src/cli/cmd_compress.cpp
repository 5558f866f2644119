// compress FILE: open a satellite picture as the command line does, then Save as Comp; the
// thumbnail and the compressed file are written beside it and their names printed.

#include <cstdio>
#include <string>

#include "cli/cli.h"
#include "codec/compression.h"
#include "codec/pair_format.h"

namespace kestrel::cli {
namespace {

int RunCompress(Context& context) {
  Session& session = context.session;
  ImageState& s = session.state;
  const OpenResult opened = OpenFromOutside(session, context.args.files[0]);
  if (opened != OpenResult::Shown) {
    if (opened != OpenResult::Failed)
      std::fprintf(stderr, "kestrel-cli: %s is not a single picture\n", s.currentFilePath.c_str());
    return kExitFailure;
  }
  // As opened from the command line: the image report would have kept a TMSat header here.
  if (s.currentFilePath.starts_with("TM")) s.tmHeaderCopy = s.fileHeaderBuffer;

  const CompressorNames names = CompressorNamesFor(s.currentFilePath);
  if (!SaveAsComp(session)) return kExitFailure;
  std::printf("%s\n%s\n", names.thumbnail.c_str(), names.compressed.c_str());
  return kExitSuccess;
}

const Registrar kCompress({"compress", "compress FILE", {}, {}, 1, 1, RunCompress});

}  // namespace
}  // namespace kestrel::cli
