// thumbnail FILE OUT.png | FILE... --outdir DIR [--size N]: small pictures of camera or bitmap
// files, as file managers ask thumbnailers for one (DIR/NAME.png for each FILE). A file that
// does not open gives exit 1 and no output, so the file manager shows its failure icon.

#include <filesystem>
#include <optional>
#include <string>

#include "cli/cli.h"
#include "shell/file_thumbnail.h"

namespace kestrel::cli {
namespace {

constexpr uint32_t kLargestThumbnail = 4096;

// A compressed TMSAT image (TM...IMC) is shown by decoding its set beside it.
const BatchRules kRules{.filesHelp = "camera or bitmap files; without --outdir: FILE OUT, the PNG file to write",
                        .outHelp = nullptr,
                        .pngOnly = true,
                        .decodesBeside = [](std::string_view name) { return name.find("IMC") != std::string_view::npos; }};

struct ThumbnailOptions {
  BatchOptions batch;
  uint32_t size = 256;
} options;

void DefineThumbnail(CLI::App& app) {
  DefineBatchOptions(app, options.batch, kRules);
  app.add_option("--size", options.size, "the longest edge in pixels (default 256)")
      ->check(CLI::Range(1u, kLargestThumbnail));
}

int ThumbnailFile(Session& session, const std::string& file, const std::filesystem::path& out) {
  EnterFile(session, file);
  if (OutputIsAnInput(session, out, {session.state.currentFilePath})) return kExitFailure;
  const std::optional<Bytes> thumbnail = ThumbnailOfFile(session, file, options.size);
  return thumbnail && WritePicture(session, *thumbnail, out, PictureKind::Thumbnail) ? kExitSuccess
                                                                                    : kExitFailure;
}

int RunThumbnail(Session& session) {
  BatchOptions batch = options.batch;
  if (batch.outdir.empty()) {  // FILE OUT.png, as file managers ask
    if (batch.files.size() != 2) return UsageError("thumbnail takes FILE OUT.png, or FILE... --outdir DIR");
    batch.out = batch.files.back();
    batch.files.pop_back();
    if (PictureFormatOf(OutputPath(batch.out)) != PictureFormat::Png)
      return UsageError(batch.out + ": a thumbnail is written as .png");
  }
  return RunBatch(session, batch, kRules, ThumbnailFile);
}

const Registrar kThumbnail({"thumbnail", "write a small PNG of a picture, as file managers show one",
                            DefineThumbnail, RunThumbnail});

}  // namespace
}  // namespace kestrel::cli
