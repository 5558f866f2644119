// decompress THUMB [-o OUT] [--keep]: decode a compressed pair, load the decoded picture as
// Decompress > Single Image does, and write it.

#include <filesystem>
#include <string>

#include "cli/cli.h"
#include "codec/decompression.h"

namespace kestrel::cli {
namespace {

int RunDecompress(Context& context) {
  Session& session = context.session;
  EnterFile(session, context.args.files[0]);
  SingleImageDecompression options;
  options.showInformation = false;  // the report is the where subcommand's
  options.keepDecodedFile = context.args.Has("--keep");
  if (!DecompressSingleImage(session, options)) return kExitFailure;

  // By default the picture goes beside the pair, named after the decoded file.
  const std::filesystem::path out =
      context.args.Value("-o")
          ? OutputPath(*context.args.Value("-o"))
          : session.currentDirectory /
                std::filesystem::path(session.state.currentFilePath).replace_extension(".BMP");
  return WritePicture(session, *session.state.current.currentDib, out) ? kExitSuccess
                                                                       : kExitFailure;
}

const Registrar kDecompress({"decompress",
                             "decompress THUMB [-o OUT] [--keep]   (OUT defaults to the decoded "
                             "name with .BMP beside THUMB)",
                             {"-o"},
                             {"--keep"},
                             1,
                             1,
                             RunDecompress});

}  // namespace
}  // namespace kestrel::cli
