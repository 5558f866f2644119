// compress FILE: open a satellite picture as the command line does, then Save as Comp; the
// thumbnail and the compressed file are written beside it and their names printed.

#include <cstdio>
#include <string>

#include "cli/cli.h"
#include "codec/compression.h"
#include "codec/pair_format.h"
#include "platform/files.h"

namespace kestrel::cli {
namespace {

std::string file;

void DefineCompress(CLI::App& app) {
  app.add_option("FILE", file, "camera picture to compress")->required();
}

int RunCompress(Session& session) {
  ImageState& s = session.state;
  // The two names follow from the source's; neither may be the source itself.
  EnterFile(session, file);
  const CompressorNames names = CompressorNamesFor(s.currentFilePath);
  for (const std::string& output : {names.thumbnail, names.compressed})
    if (!output.empty() &&
        OutputIsAnInput(session, ResolveFileName(session.currentDirectory, output),
                        {s.currentFilePath}))
      return kExitFailure;

  const OpenResult opened = OpenFromOutside(session, file);
  if (opened != OpenResult::Shown) {
    if (opened != OpenResult::Failed)
      return Complain("%s is not a single picture", s.currentFilePath.c_str());
    return kExitFailure;
  }
  // As opened from the command line: the image report would have kept a TMSat header here.
  if (s.currentFilePath.starts_with("TM")) s.tmHeaderCopy = s.fileHeaderBuffer;

  if (!SaveAsComp(session)) return kExitFailure;
  std::printf("%s\n%s\n", names.thumbnail.c_str(), names.compressed.c_str());
  return kExitSuccess;
}

const Registrar kCompress({"compress", "write a picture's thumbnail and compressed pair beside it",
                           DefineCompress, RunCompress});

}  // namespace
}  // namespace kestrel::cli
