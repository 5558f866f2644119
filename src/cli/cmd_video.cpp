// video FILE -o PREFIX [--format bmp|png]: every frame of one pass of a TMSAT video file,
// written as PREFIX-00.bmp, PREFIX-01.bmp, ... in play order.

#include <cstdio>
#include <string>

#include "cli/cli.h"
#include "satfiles/identification.h"
#include "satfiles/video.h"

namespace kestrel::cli {
namespace {

struct VideoOptions {
  std::string file;
  std::string prefix;
  std::string format = "bmp";
} options;

void DefineVideo(CLI::App& app) {
  app.add_option("FILE", options.file, "TMSAT video file (TM4..., TM5...)")->required();
  app.add_option("-o", options.prefix, "prefix of the frame files")->required();
  app.add_option("--format", options.format, "bmp (default) or png")
      ->check(CLI::IsMember({"bmp", "png"}));
}

int RunVideo(Session& session) {
  EnterFile(session, options.file);
  const std::string name = session.state.currentFilePath;
  if (!name.starts_with("TM4") && !name.starts_with("TM5")) {
    std::fprintf(stderr, "kestrel-cli: %s is not a TMSAT video file (TM4..., TM5...)\n",
                 name.c_str());
    return kExitFailure;
  }
  if (!IdentifyImageFile(session)) return kExitFailure;
  const auto video = ReadVideoFile(session, name);
  if (!video) return kExitFailure;
  if (video->format.frameCount == 0) {
    std::fprintf(stderr, "kestrel-cli: %s holds no whole frame\n", name.c_str());
    return kExitFailure;
  }
  const int digits = std::max(2, static_cast<int>(std::to_string(video->format.frameCount - 1).size()));
  Block frame = NewVideoFrame(video->format);
  uint32_t number = 0;
  bool written = true;
  ForEachVideoFrame(video->body, video->format, *frame, [&] {
    if (!written) return;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "-%0*u.%s", digits, number++, options.format.c_str());
    const auto out = OutputPath(options.prefix + suffix);
    written = !OutputIsAnInput(session, out, {name}) && WritePicture(session, *frame, out);
  });
  return written ? kExitSuccess : kExitFailure;
}

const Registrar kVideo({"video", "write every frame of a TMSAT video file", DefineVideo, RunVideo});

}  // namespace
}  // namespace kestrel::cli
