// thumbnail FILE OUT.png [--size N]: a small picture of a camera or bitmap file, as file
// managers ask thumbnailers for one. A file that does not open gives exit 1 and no output, so
// the file manager shows its failure icon.

#include <filesystem>
#include <optional>
#include <string>

#include "cli/cli.h"
#include "shell/file_thumbnail.h"

namespace kestrel::cli {
namespace {

constexpr uint32_t kLargestThumbnail = 4096;

struct ThumbnailOptions {
  std::string file;
  std::string out;
  uint32_t size = 256;
} options;

void DefineThumbnail(CLI::App& app) {
  app.add_option("FILE", options.file, "camera or bitmap file")->required();
  app.add_option("OUT", options.out, "the PNG file to write")->required();
  app.add_option("--size", options.size, "the longest edge in pixels (default 256)")
      ->check(CLI::Range(1u, kLargestThumbnail));
}

int RunThumbnail(Session& session) {
  const std::filesystem::path out = OutputPath(options.out);
  if (PictureFormatOf(out) != PictureFormat::Png)
    return UsageError(options.out + ": a thumbnail is written as .png");
  EnterFile(session, options.file);
  if (OutputIsAnInput(session, out, {session.state.currentFilePath})) return kExitFailure;
  const std::optional<Bytes> thumbnail = ThumbnailOfFile(session, options.file, options.size);
  return thumbnail && WritePicture(session, *thumbnail, out) ? kExitSuccess : kExitFailure;
}

const Registrar kThumbnail({"thumbnail", "write a small PNG of a picture, as file managers show one",
                            DefineThumbnail, RunThumbnail});

}  // namespace
}  // namespace kestrel::cli
