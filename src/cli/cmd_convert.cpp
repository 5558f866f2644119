// convert FILE... -o OUT | --outdir DIR: open a picture as the program would, improve it as the menu commands
// do (turns, exposure, sharpening, in that order), and write the picture on show.

#include <cstdio>
#include <string>
#include <vector>

#include "base/command_ids.h"
#include "cli/cli.h"
#include "platform/files.h"
#include "processing/grey_edits.h"
#include "processing/image_commands.h"
#include "session/current_image.h"

namespace kestrel::cli {
namespace {

// A file opens as from the command line; kinds that need another subcommand say so.
bool OpenForConvert(Session& session, const std::string& file) {
  const OpenResult result = OpenFromOutside(session, file, true);
  const char* name = session.state.currentFilePath.c_str();
  switch (result) {
    case OpenResult::Shown:
      return true;
    case OpenResult::Failed:
      return false;
    case OpenResult::InformationFile:
      return Complain("%s is a set's information file: use where", name), false;
    case OpenResult::CompressedImage:
      return Complain("%s is a compressed image: use decompress", name), false;
    case OpenResult::Video:
      return Complain("%s is a video file: use video", name), false;
  }
  return false;
}

const BatchRules kRules{.filesHelp = "bitmaps (.BMP, .DIB, .RLE) or camera files",
                        .outHelp = "output of one FILE: .bmp or .png"};

struct ConvertOptions {
  BatchOptions batch;
  int bits = 0;  // none: the picture's own depth
  bool rle = false;
  std::vector<std::string> rotations;
  std::string exposure;
  std::string sharpen;
} options;

void DefineConvert(CLI::App& app) {
  DefineBatchOptions(app, options.batch, kRules);
  app.add_option("--rotate", options.rotations, "turn a quarter, repeatable, in order")
      ->allow_extra_args(false)  // one turn each: the words after it are files
      ->check(CLI::IsMember({"cw", "ccw"}));
  app.add_option("--exposure", options.exposure,
                 "original, enhanced, or a level 0..255 (grey pictures)")
      ->check(CLI::IsMember({"original", "enhanced"}) | CLI::Range(0, 255));
  app.add_option("--sharpen", options.sharpen, "sharpen the picture")
      ->check(CLI::IsMember({"preview", "default", "hidef"}));
  app.add_option("--bits", options.bits, "bits per pixel of the output")
      ->check(CLI::IsMember({1, 4, 8, 24}));
  app.add_flag("--rle", options.rle, "run-length encode a 4- or 8-bit bitmap");
}

int Command(Session& session, int command) {
  int result = 1;
  RunImageCommand(session, command, 0, result);
  return result;
}

// The improvements, as the menus and the colour dialog make them; exit status.
int Improve(Session& session) {
  ImageState& s = session.state;
  const bool colourSet = s.processing.colourSetShown;
  const bool wanted = !options.rotations.empty() || !options.exposure.empty() || !options.sharpen.empty();
  if (wanted && !colourSet && !s.loadedImage) {
    return Complain("%s: --rotate, --exposure and --sharpen need a camera picture",
                    s.currentFilePath.c_str());
  }
  s.planes = {.ir = true, .red = true, .green = true, .all = true};
  for (const std::string& turn : options.rotations) {
    if (colourSet) Command(session, turn == "cw" ? kCmdColourClockwise : kCmdColourAnticlockwise);
    else Command(session, turn == "cw" ? kCmdRotateClockwise : kCmdRotateAnticlockwise);
  }
  if (options.exposure == "original") Command(session, kCmdExposureOriginal);
  else if (options.exposure == "enhanced") Command(session, kCmdExposureEnhanced);
  else if (!options.exposure.empty()) {
    if (colourSet) return UsageError("--exposure takes original or enhanced for a colour set");
    s.exposureLevel = static_cast<uint16_t>(std::stoi(options.exposure));
    ApplyExposure(session, s.exposureLevel);
  }
  if (options.sharpen == "preview") Command(session, kCmdSharpenPreview);
  else if (options.sharpen == "default") Command(session, kCmdSharpenDefault);
  else if (options.sharpen == "hidef") Command(session, kCmdSharpenHiDef);
  return kExitSuccess;
}

int ConvertFile(Session& session, const std::string& file, const std::filesystem::path& out) {
  EnterFile(session, file);
  std::string planes[3] = {session.state.currentFilePath, session.state.currentFilePath,
                           session.state.currentFilePath};
  if (planes[0].size() > 2 && planes[0].starts_with("TM"))
    for (size_t k = 0; k < 3; ++k) planes[k][2] = static_cast<char>('1' + k);
  if (OutputIsAnInput(session, out, {session.state.currentFilePath, planes[0], planes[1], planes[2]}))
    return kExitFailure;
  if (!OpenForConvert(session, file)) return kExitFailure;
  if (const int status = Improve(session); status != kExitSuccess) return status;

  Block picture = session.state.current.currentDib;
  const BitmapInfoHeader header = *LoadInfoHeader(*picture);
  const auto bitCount = options.bits ? static_cast<uint16_t>(options.bits) : header.biBitCount;
  if (options.rle && bitCount != 4 && bitCount != 8)
    return UsageError("--rle needs a 4- or 8-bit picture");
  // Without format options the picture is written in its own format, a coded one unchanged.
  const uint32_t compression = options.rle      ? (bitCount == 8 ? kCompressionRle8 : kCompressionRle4)
                               : options.bits   ? kCompressionRgb
                                                : header.biCompression;
  Block converted = ConvertDibFormat(session, compression, bitCount);
  if (!converted) return ShowErrorBox(session, "Unable to save the specified file"), kExitFailure;
  return WritePicture(session, *converted, out) ? kExitSuccess : kExitFailure;
}

int RunConvert(Session& session) { return RunBatch(session, options.batch, kRules, ConvertFile); }

const Registrar kConvert({"convert", "open a bitmap or camera file and write its picture",
                          DefineConvert, RunConvert});

}  // namespace
}  // namespace kestrel::cli
