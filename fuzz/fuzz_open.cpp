// Any file opened from outside the program, as the command line and kestrel-cli do: read it,
// make it the picture on show, then save that picture at every depth a bitmap file can hold.
// Nothing may read or write out of bounds; a refused file leaves nothing on show and nothing
// written beside it.
//
// Files that begin as a bitmap does are named as one; anything else is opened as the camera
// file that its first byte picks from a list of names.

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "bitmap/bitmap_file.h"
#include "platform/files.h"
#include "fuzz_folder.h"
#include "platform/scripted_platform.h"
#include "session/current_image.h"
#include "session/session.h"
#include "shell/open_file.h"

namespace {

namespace fs = std::filesystem;
using namespace kestrel;

constexpr std::array<std::string_view, 12> kCameraNames{
    "U5IW0001.CCD", "KBIW0001.CCD", "U5DW0001.CCD", "IMT00123.CCD", "TM000100.IMI", "TM112345.IMI",
    "TM012345.IMT", "SPECIAL1",     "THUMB001",     "KBE00001",     "P1TW0001.CCD", "TM112345.IMC"};

// Every depth and compression that Save Bmp offers.
constexpr std::array<std::pair<uint32_t, uint16_t>, 6> kSaveFormats{{{kCompressionRgb, 1},
                                                                     {kCompressionRgb, 4},
                                                                     {kCompressionRgb, 8},
                                                                     {kCompressionRgb, 24},
                                                                     {kCompressionRle4, 4},
                                                                     {kCompressionRle8, 8}}};

std::string_view NameFor(std::span<const uint8_t> file) {
  if (file.size() >= 2 && file[0] == 'B' && file[1] == 'M') return "PICTURE.BMP";
  if (file.size() >= 4 && (LoadU32(file.data()) == kInfoHeaderSize ||
                           LoadU32(file.data()) == kCoreHeaderSize))
    return "PICTURE.DIB";
  return kCameraNames[file.empty() ? 0 : file[0] % kCameraNames.size()];
}


size_t FilesIn(const fs::path& dir) {
  size_t count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir)) ++count;
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> input(data, size);
  const fs::path& dir = kestrel::fuzz::EmptiedFolder("open");
  const fs::path file = dir / NameFor(input);
  if (!WriteFileReplacing(file, input)) return 0;

  ScriptedPlatform platform;
  Session session(platform, dir);
  const OpenResult result = OpenFromOutside(session, file);
  if (FilesIn(dir) != 1) __builtin_trap();  // opening never writes beside the file
  if (result != OpenResult::Shown) {
    if (session.state.current.imageDisplayable) __builtin_trap();
    return 0;
  }
  for (const auto& [compression, bitCount] : kSaveFormats) {
    const Block saved = ConvertDibFormat(session, compression, bitCount);
    if (!saved) continue;  // a depth beyond the picture limit has no copy
    if (!IsWellFormedDib(*saved)) __builtin_trap();
    const Bytes encoded = EncodeBitmapFile(*saved);
    if (encoded.size() != kFileHeaderSize + saved->size()) __builtin_trap();
  }
  return 0;
}
