// decompress THUMB... [-o OUT | --outdir DIR] [--colour-set] [--keep]: decode compressed pairs,
// load each decoded picture as Decompress > Single Image does (or the whole TMSat colour set
// THUMB belongs to, as Decompress > Coloured Set does), and write it.

#include <filesystem>
#include <string>

#include "cli/cli.h"
#include "codec/colour_set_decompression.h"
#include "codec/decompression.h"
#include "codec/pair_format.h"

namespace kestrel::cli {
namespace {

const BatchRules kRules{.filesHelp = "thumbnails of the pairs",
                        .outHelp = "output of one THUMB (default: the decoded name with .BMP beside it)",
                        .verb = "decompressed",
                        .outputRequired = false,
                        .decodesBeside = [](std::string_view) { return true; }};

struct DecompressOptions {
  BatchOptions batch;
  bool keep = false;
  bool colourSet = false;
} options;

void DefineDecompress(CLI::App& app) {
  DefineBatchOptions(app, options.batch, kRules);
  app.add_flag("--colour-set", options.colourSet, "decode the TMSat colour set THUMB belongs to");
  app.add_flag("--keep", options.keep, "keep the decoded transit files");
}

int DecompressFile(Session& session, const std::string& file, const std::filesystem::path& chosen) {
  EnterFile(session, file);
  const std::string thumbnail = session.state.currentFilePath;
  // The compressed file is the thumbnail's partner in either numbering.
  const auto landsOnPair = [&](const std::filesystem::path& out) {
    return OutputIsAnInput(session, out,
                           {thumbnail, DecoderNamesFor(thumbnail, false).compressed,
                            DecoderNamesFor(thumbnail, true).compressed});
  };
  if (!chosen.empty() && landsOnPair(chosen)) return kExitFailure;

  // The report is the where subcommand's.
  if (options.colourSet) {
    std::string& name = session.state.currentFilePath;
    if (!name.starts_with("TM") || name.size() != 12)
      return UsageError("--colour-set takes the thumbnail of a TMSat plane (TMnnnnnn.IMT)");
    name[11] = 'C';  // the set is found from its compressed files
    DecompressColouredSet(session, {.showInformation = false, .keepDecodedFiles = options.keep});
    if (!session.state.current.imageDisplayable) return kExitFailure;
  } else {
    if (!DecompressSingleImage(session, {.showInformation = false, .keepDecodedFiles = options.keep}))
      return kExitFailure;
  }

  // By default the picture goes beside the pair, named after the decoded file.
  const std::filesystem::path out =
      chosen.empty() ? session.currentDirectory /
                           std::filesystem::path(session.state.currentFilePath).replace_extension(".BMP")
                     : chosen;
  if (landsOnPair(out)) return kExitFailure;
  return WritePicture(session, *session.state.current.currentDib, out) ? kExitSuccess
                                                                       : kExitFailure;
}

int RunDecompress(Session& session) { return RunBatch(session, options.batch, kRules, DecompressFile); }

const Registrar kDecompress({"decompress", "decode a compressed pair and write its picture",
                             DefineDecompress, RunDecompress});

}  // namespace
}  // namespace kestrel::cli
