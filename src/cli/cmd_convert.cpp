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

int RunConvert(Context& context) {
  Session& session = context.session;
  const auto out = context.args.Value("-o");
  if (!out) return UsageError(context, "convert needs -o OUT");
  const std::string bits = context.args.Value("--bits").value_or("");
  const bool rle = context.args.Has("--rle");
  if (!bits.empty() && bits != "1" && bits != "4" && bits != "8" && bits != "24")
    return UsageError(context, "--bits takes 1, 4, 8 or 24");

  if (!OpenForConvert(session, context.args.files[0])) return kExitFailure;

  Block picture = session.state.current.currentDib;
  const BitmapInfoHeader header = *LoadInfoHeader(*picture);
  const uint16_t bitCount =
      bits.empty() ? header.biBitCount : static_cast<uint16_t>(std::stoi(bits));
  if (rle && bitCount != 4 && bitCount != 8)
    return UsageError(context, "--rle needs a 4- or 8-bit picture");
  const uint32_t compression =
      !rle ? kCompressionRgb : bitCount == 8 ? kCompressionRle8 : kCompressionRle4;
  Block converted = ConvertDibFormat(session, compression, bitCount);
  if (!converted) return ShowErrorBox(session, "Unable to save the specified file"), kExitFailure;
  return WritePicture(session, *converted, OutputPath(*out)) ? kExitSuccess : kExitFailure;
}

const Registrar kConvert({"convert",
                          "convert FILE -o OUT [--exposure original|enhanced|N] "
                          "[--sharpen preview|default|hidef] [--rotate cw|ccw]... "
                          "[--bits 1|4|8|24] [--rle]",
                          {"-o", "--bits"},
                          {"--rle"},
                          1,
                          1,
                          RunConvert});

}  // namespace
}  // namespace kestrel::cli
