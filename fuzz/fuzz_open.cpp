// Any file opened from outside the program, from memory: a bitmap file or a camera file made
// the picture on show, then that picture saved at every depth a bitmap file can hold. Nothing
// may read or write out of bounds; a refused file leaves nothing on show.
//
// Files that begin as a bitmap does are read as one; anything else is loaded as the camera
// file that its first byte picks from a list of names.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "bitmap/bitmap_file.h"
#include "platform/scripted_platform.h"
#include "satfiles/identification.h"
#include "satfiles/single_image.h"
#include "session/current_image.h"
#include "session/session.h"

namespace {

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
// As in fuzz_bitmap: larger pictures are read and shown, not converted.
constexpr uint64_t kConvertedPixelLimit = uint64_t{1} << 18;

bool LooksLikeBitmap(std::span<const uint8_t> file) {
  return (file.size() >= 2 && file[0] == 'B' && file[1] == 'M') ||
         (file.size() >= 4 &&
          (LoadU32(file.data()) == kInfoHeaderSize || LoadU32(file.data()) == kCoreHeaderSize));
}

bool Show(Session& session, std::span<const uint8_t> file) {
  if (LooksLikeBitmap(file)) {
    BitmapReadResult read = ReadBitmapBytes(file);
    return read.dib && SetCurrentImage(session, std::move(read.dib));
  }
  session.state.currentFilePath = kCameraNames[file.empty() ? 0 : file[0] % kCameraNames.size()];
  if (!IdentifyImageFile(session)) return false;
  const Block loaded =
      LoadSingleImage(session, std::make_shared<const Bytes>(file.begin(), file.end()));
  return loaded && SetCurrentImage(session, loaded);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ScriptedPlatform platform;
  Session session(platform, ".");
  if (!Show(session, std::span(data, size))) {
    if (session.state.current.imageDisplayable) __builtin_trap();
    return 0;
  }
  const BitmapInfoHeader shown = *LoadInfoHeader(*session.state.current.currentDib);
  if (uint64_t{static_cast<uint32_t>(shown.biWidth)} * static_cast<uint32_t>(shown.biHeight) >
      kConvertedPixelLimit)
    return 0;
  for (const auto& [compression, bitCount] : kSaveFormats) {
    const Block saved = ConvertDibFormat(session, compression, bitCount);
    if (!saved) continue;  // a depth beyond the picture limit has no copy
    if (!IsWellFormedDib(*saved)) __builtin_trap();
    const Bytes encoded = EncodeBitmapFile(*saved);
    if (encoded.size() != kFileHeaderSize + saved->size()) __builtin_trap();
  }
  return 0;
}
