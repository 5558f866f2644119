// video FILE... -o PREFIX | --outdir DIR [--format bmp|png]: every frame of one pass of a TMSAT
// video file, written as PREFIX-00.bmp, PREFIX-01.bmp, ... in play order (DIR/NAME-00.bmp, ...).

#include <cstdio>
#include <string>

#include "cli/cli.h"
#include "satfiles/identification.h"
#include "satfiles/video.h"

namespace kestrel::cli {
namespace {

const BatchRules kRules{.filesHelp = "TMSAT video files (TM4..., TM5...)",
                        .outHelp = "prefix of one FILE's frame files",
                        .outIsPrefix = true};

BatchOptions options;

void DefineVideo(CLI::App& app) { DefineBatchOptions(app, options, kRules); }

int WriteFrames(Session& session, const std::string& file, const std::filesystem::path& prefix) {
  EnterFile(session, file);
  const std::string name = session.state.currentFilePath;
  if (!name.starts_with("TM4") && !name.starts_with("TM5"))
    return Complain("%s is not a TMSAT video file (TM4..., TM5...)", name.c_str());
  if (!IdentifyImageFile(session)) return kExitFailure;
  const auto video = ReadVideoFile(session, name);
  if (!video) return kExitFailure;
  if (video->format.frameCount == 0) return Complain("%s holds no whole frame", name.c_str());
  const int digits = std::max(2, static_cast<int>(std::to_string(video->format.frameCount - 1).size()));
  Block frame = NewVideoFrame(video->format);
  uint32_t number = 0;
  bool written = true;
  ForEachVideoFrame(video->body, video->format, *frame, [&] {
    if (!written) return;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "-%0*u.%s", digits, number++, options.format.c_str());
    const auto out = std::filesystem::path(prefix.string() + suffix);
    written = !OutputIsAnInput(session, out, {name}) && WritePicture(session, *frame, out);
  });
  return written ? kExitSuccess : kExitFailure;
}

int RunVideo(Session& session) { return RunBatch(session, options, kRules, WriteFrames); }

const Registrar kVideo({"video", "write every frame of a TMSAT video file", DefineVideo, RunVideo});

}  // namespace
}  // namespace kestrel::cli
