// convert FILE -o OUT: open a picture as the program would and write the picture on show.

#include <cstdio>
#include <string>

#include "session/current_image.h"
#include "cli/cli.h"
#include "platform/files.h"

namespace kestrel::cli {
namespace {

// A file opens as from the command line; kinds that need another subcommand say so.
bool OpenForConvert(Session& session, const std::string& file) {
  const OpenResult result = OpenFromOutside(session, file);
  const char* name = session.state.currentFilePath.c_str();
  switch (result) {
    case OpenResult::Shown:
      return true;
    case OpenResult::Failed:
      return false;
    case OpenResult::InformationFile:
      std::fprintf(stderr, "kestrel-cli: %s is a set's information file: use where\n", name);
      return false;
    case OpenResult::CompressedImage:
      std::fprintf(stderr, "kestrel-cli: %s is a compressed image: use decompress\n", name);
      return false;
    case OpenResult::Video:
      std::fprintf(stderr, "kestrel-cli: %s is a video file: use video\n", name);
      return false;
  }
  return false;
}

struct ConvertOptions {
  std::string file;
  std::string out;
  int bits = 0;  // none: the picture's own depth
  bool rle = false;
} options;

void DefineConvert(CLI::App& app) {
  app.add_option("FILE", options.file, "bitmap (.BMP, .DIB, .RLE) or camera file")->required();
  app.add_option("-o", options.out, "output: .png, anything else a bitmap file")->required();
  app.add_option("--bits", options.bits, "bits per pixel of the output")
      ->check(CLI::IsMember({1, 4, 8, 24}));
  app.add_flag("--rle", options.rle, "run-length encode a 4- or 8-bit bitmap");
}

int RunConvert(Session& session) {
  const auto out = OutputPath(options.out);
  EnterFile(session, options.file);
  if (OutputIsAnInput(session, out, {session.state.currentFilePath})) return kExitFailure;
  if (!OpenForConvert(session, options.file)) return kExitFailure;

  Block picture = session.state.current.currentDib;
  const BitmapInfoHeader header = *LoadInfoHeader(*picture);
  const auto bitCount = options.bits ? static_cast<uint16_t>(options.bits) : header.biBitCount;
  if (options.rle && bitCount != 4 && bitCount != 8)
    return UsageError("--rle needs a 4- or 8-bit picture");
  const uint32_t compression =
      !options.rle ? kCompressionRgb : bitCount == 8 ? kCompressionRle8 : kCompressionRle4;
  Block converted = ConvertDibFormat(session, compression, bitCount);
  if (!converted) return ShowErrorBox(session, "Unable to save the specified file"), kExitFailure;
  return WritePicture(session, *converted, out) ? kExitSuccess : kExitFailure;
}

const Registrar kConvert({"convert", "open a bitmap or camera file and write its picture",
                          DefineConvert, RunConvert});

}  // namespace
}  // namespace kestrel::cli
